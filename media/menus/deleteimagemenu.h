#pragma once
// The delete question: "Yes" (`pushButton`, right) and "No" (`pushButton_2`, left).
#include <QDialog>

#include "ui_deleteimagemenu.h"

extern bool deleteImageMenuEnabled;

class DeleteImageMenu : public QDialog, public Ui::DeleteImageMenu {
    Q_OBJECT
public:
    explicit DeleteImageMenu(QWidget *parent = nullptr);

public slots:
    // Shows the question with the focus on "No", or hides it.
    void deleteImageMenuEnable();

protected:
    void changeEvent(QEvent *event) override;
};
