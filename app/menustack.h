#pragma once
// Which menu a person sees on top, and moving the keyboard focus between its
// entries with the arrow keys.
//
// Every tracked menu window that is shown goes on top; a hidden one leaves the
// stack, and the one shown before it is on top again.
#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

class MenuStack : public QObject {
    Q_OBJECT
public:
    explicit MenuStack(QObject *parent = nullptr);

    void track(QWidget *menuWindow);
    // The visible menu shown last; nullptr when only the live view is up.
    QWidget *top() const;

    // Moves the focus of `window` to the next (or previous) entry that can take
    // the focus, in tab order, going round at the end. Radio buttons are not
    // ticked. Returns false when there is no other entry to go to.
    static bool moveFocus(QWidget *window, bool forward);
    bool moveFocusOnTop(bool forward) { return moveFocus(top(), forward); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void raiseOnTop(QWidget *w);
    QList<QPointer<QWidget>> m_shown;   // in show order, last on top
};
