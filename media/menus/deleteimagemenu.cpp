#include "media/menus/deleteimagemenu.h"

#include <QEvent>

static bool deleteImageMenuEnabled = true;

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

void DeleteImageMenu::deleteImageName(QString name)
{
    if (!updatingEnabled)
        return;
    m_name = name;
    label->setText(tr("Delete") + ' ' + name + '?');
}

void DeleteImageMenu::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi(this);
        if (!m_name.isEmpty())
            label->setText(tr("Delete") + ' ' + m_name + '?');
    }
}
