#include "media/menus/deleteimagemenu.h"

#include <QEvent>

bool deleteImageMenuEnabled = true;

DeleteImageMenu::DeleteImageMenu(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    connect(pushButton_2, &QPushButton::clicked, this, &QWidget::hide);
}

void DeleteImageMenu::deleteImageMenuEnable()
{
    if (isHidden())
        pushButton_2->setFocus();
    setVisible(isHidden());
    deleteImageMenuEnabled = isHidden();
}

void DeleteImageMenu::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslateUi(this);
}
