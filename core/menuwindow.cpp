#include "core/menuwindow.h"

#include <QAbstractButton>
#include <QEvent>

MenuWindow::MenuWindow(bool *enabledFlag, QWidget *parent) : QMainWindow(parent), m_enabled(enabledFlag) {}

void MenuWindow::setButtons(const QList<QAbstractButton *> &buttons) { m_buttons = buttons; }

QAbstractButton *MenuWindow::firstChecked() const
{
    for (QAbstractButton *b : m_buttons)
        if (b->isChecked())
            return b;
    return nullptr;
}

int MenuWindow::checkedIndex() const { return m_buttons.indexOf(firstChecked()); }

void MenuWindow::focusFirstChecked()
{
    if (QAbstractButton *b = firstChecked())
        b->setFocus();
}

void MenuWindow::toggle()
{
    if (isHidden()) {
        focusFirstChecked();
        show();
        if (m_enabled)
            *m_enabled = false;
    } else {
        hide();
        if (m_enabled)
            *m_enabled = true;
    }
}

void MenuWindow::openFocusing(QWidget *focus)
{
    if (!isHidden())
        return;
    if (focus)
        focus->setFocus();
    show();
    if (m_enabled)
        *m_enabled = false;
}

void MenuWindow::openAtFirst() { openFocusing(m_buttons.isEmpty() ? nullptr : m_buttons.first()); }

void MenuWindow::openAtChecked()
{
    QAbstractButton *b = firstChecked();
    openFocusing(b ? b : (m_buttons.isEmpty() ? nullptr : m_buttons.first()));
}

void MenuWindow::toggleVisible()
{
    setVisible(isHidden());
    if (m_enabled)
        *m_enabled = isHidden();
}

void MenuWindow::refocusChecked()
{
    if (isVisible())
        focusFirstChecked();
}

void MenuWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslate();
}

// ---- ChoiceMenu ---------------------------------------------------------------

ChoiceMenu::ChoiceMenu(bool *enabledFlag, const Setting &setting, QWidget *parent)
    : MenuWindow(enabledFlag, parent), m_setting(setting)
{
}

void ChoiceMenu::startChoice()
{
    const config::Choice &c = m_setting.choice;
    int index = c.defaultIndex;
    if (c.key && m_setting.start == Start::Stored)
        index = config::readChoice(m_setting.ini, c);
    else if (c.key && c.writeDefault && index >= 0 && index < c.texts.size())
        config::write(m_setting.ini, QString::fromLatin1(c.key), c.texts[index]);
    if (index >= 0 && index < buttons().size()) {
        buttons()[index]->setChecked(true);
        buttons()[index]->setFocus();
    }
    startupChoice(index);
}

QString ChoiceMenu::checkedText() const
{
    const int i = checkedIndex();
    return i >= 0 && i < m_setting.choice.texts.size() ? m_setting.choice.texts[i] : QString();
}

void ChoiceMenu::choose(int index)
{
    for (int i = 0; i < buttons().size(); ++i) {
        QAbstractButton *b = buttons()[i];
        // Exclusive radio buttons uncheck themselves when another is checked.
        if (i == index)
            b->setChecked(true);
        else if (!b->autoExclusive())
            b->setChecked(false);
    }
    settingChanged();
}

void ChoiceMenu::storeChecked()
{
    const QString text = checkedText();
    if (m_setting.choice.key && !text.isEmpty())
        config::write(m_setting.ini, QString::fromLatin1(m_setting.choice.key), text);
}

void ChoiceMenu::clickFactoryChoice()
{
    if (m_setting.factoryIndex >= 0 && m_setting.factoryIndex < buttons().size())
        buttons()[m_setting.factoryIndex]->click();
}

void ChoiceMenu::checkDefault()
{
    const int index = m_setting.choice.defaultIndex;
    if (index >= 0 && index < buttons().size()) {
        buttons()[index]->setChecked(true);
        buttons()[index]->setFocus();
    }
}

// ---- PopupMenu --------------------------------------------------------------

PopupMenu::PopupMenu(bool *enabledFlag, QWidget *parent) : MenuWindow(enabledFlag, parent) {}

void PopupMenu::watchButtons(const QList<QAbstractButton *> &buttons)
{
    setButtons(buttons);
    for (QAbstractButton *b : buttons)
        b->installEventFilter(this);
}

bool PopupMenu::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type t = event->type();
    if (t == QEvent::FocusIn || t == QEvent::FocusOut) {
        for (QAbstractButton *b : buttons()) {
            if (b != watched)
                continue;
            const int x = geometry().x() + b->mapTo(this, QPoint(0, 0)).x() + b->width() / 2;
            menuTip(b->statusTip(), x, geometry().y(), t == QEvent::FocusIn ? kTipShown : 0);
            break;
        }
    }
    return MenuWindow::eventFilter(watched, event);
}
