#pragma once
// The delete question: "Yes" (`pushButton`, right) and "No" (`pushButton_2`, left).
#include <QDialog>

#include "ui_deleteimagemenu.h"

class DeleteImageMenu : public QDialog, public Ui::DeleteImageMenu {
    Q_OBJECT
public:
    explicit DeleteImageMenu(QWidget *parent = nullptr);
    // While clear, deleteImageName() leaves the question as it is.
    bool updatingEnabled = true;

public slots:
    // Shows the question with the focus on "No", or hides it.
    void deleteImageMenuEnable();
    // "Delete IMG_0001.bmp?"
    void deleteImageName(QString name);

protected:
    void changeEvent(QEvent *event) override;

private:
    QString m_name;
};
