#include "app/menustack.h"

#include <QEvent>
#include <QWidget>

MenuStack::MenuStack(QObject *parent) : QObject(parent) {}

void MenuStack::track(QWidget *menuWindow)
{
    if (!menuWindow)
        return;
    menuWindow->installEventFilter(this);
    if (menuWindow->isVisible())
        raiseOnTop(menuWindow);
}

void MenuStack::raiseOnTop(QWidget *w)
{
    m_shown.removeAll(w);
    m_shown.append(w);
}

QWidget *MenuStack::top() const
{
    for (auto it = m_shown.crbegin(); it != m_shown.crend(); ++it) {
        QWidget *w = it->data();
        if (w && w->isVisible())
            return w;
    }
    return nullptr;
}

bool MenuStack::eventFilter(QObject *watched, QEvent *event)
{
    auto *w = qobject_cast<QWidget *>(watched);
    if (w && w->isWindow()) {
        if (event->type() == QEvent::Show) {
            raiseOnTop(w);
            // The screen opened is the one the keys act on: make it the active
            // window at once, so a window system that activates windows
            // later (X11) does not take the next focus move back.
            w->activateWindow();
        } else if (event->type() == QEvent::Hide)
            m_shown.removeAll(w);
    }
    return QObject::eventFilter(watched, event);
}

namespace {
// Any focus policy but none counts: the toolkit takes the tab focus away from
// the unticked buttons of a radio group, and those are entries all the same.
bool takesFocus(const QWidget *w, const QWidget *window)
{
    return w != window && w->window() == window && w->focusPolicy() != Qt::NoFocus && w->isEnabled() &&
        w->isVisibleTo(window);
}
}   // namespace

bool MenuStack::moveFocus(QWidget *window, bool forward)
{
    if (!window)
        return false;
    QWidget *start = window->focusWidget();
    if (!start || start->window() != window)
        start = window;
    QWidget *w = start;
    for (;;) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == start)
            return false;
        if (takesFocus(w, window))
            break;
    }
    if (!window->isActiveWindow())
        window->activateWindow();
    w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}
