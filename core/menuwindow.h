#pragma once
// The common pattern of every menu screen, written once.
//
// A screen is a frameless top-level window built once at start-up; opening
// and closing it is showing and hiding it. Its state is its visibility, the
// checked state of its buttons and which button has the keyboard focus.
// Each screen class derives from one of the bases below through Screen<>,
// which adds its generated layout, and declares only what differs: its
// buttons, its stored key and texts, and the slot names it answers to.
#include <QAbstractButton>
#include <QMainWindow>
#include <QList>

#include "core/config.h"

#include <initializer_list>

class MenuWindow : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MenuWindow)
public:
    // enabledFlag is the screen's own file-scope flag, written by its enable
    // toggle: false while the screen is open, true after it was closed.
    explicit MenuWindow(bool *enabledFlag = nullptr, QWidget *parent = nullptr);

    // The buttons that take part in choice and focus, in button order.
    const QList<QAbstractButton *> &buttons() const { return m_buttons; }
    QAbstractButton *firstChecked() const;
    int checkedIndex() const;   // -1 when no button is checked

protected:
    void setButtons(const QList<QAbstractButton *> &buttons);

    // Enable toggle of a settings screen: when hidden, focus the first
    // checked button and show (flag false); when visible, hide (flag true).
    void toggle();
    // When hidden: give the focus to `focus` (when given), show, flag false.
    // When visible: nothing.
    void openFocusing(QWidget *focus);
    // Opening of a navigation list: focus the first entry.
    void openAtFirst();
    void openIfHidden() { openFocusing(nullptr); }
    // Focus the first checked button, else the first one.
    void openAtChecked();
    // Show-or-hide toggle of a screen without a choice (flag as for toggle()).
    void toggleVisible();
    // When visible, give the focus back to the first checked button.
    void refocusChecked();
    void focusFirstChecked();

    void changeEvent(QEvent *event) override;
    // Re-sets the texts of the layout and those the screen builds itself.
    virtual void retranslate() {}

private:
    bool *m_enabled;
    QList<QAbstractButton *> m_buttons;
};

// A settings screen of one-of-N buttons stored under one key.
class ChoiceMenu : public MenuWindow {
    Q_OBJECT
public:
    enum class Start {
        Stored,    // check the button of the stored text, else the default
        Default,   // always start on the default button (writing it when asked)
    };
    struct Setting {
        config::Ini ini;
        config::Choice choice;   // key (nullptr: nothing stored), texts in button order, default
        int factoryIndex;        // the button the factory reset clicks
        Start start = Start::Stored;
    };

    ChoiceMenu(bool *enabledFlag, const Setting &setting, QWidget *parent = nullptr);

    const Setting &setting() const { return m_setting; }
    // The stored text of the checked button (empty when none).
    QString checkedText() const;

protected:
    // Registers the buttons, connects each one's clicked() to its numbered
    // update slot and checks and focuses the button of the stored choice.
    template <class T>
    void bindChoices(T *self, const QList<QAbstractButton *> &buttons, std::initializer_list<void (T::*)()> updateSlots)
    {
        setButtons(buttons);
        auto slot = updateSlots.begin();
        for (QAbstractButton *b : buttons)
            connect(b, &QAbstractButton::clicked, self, *slot++);
        startChoice();
    }

    // Numbered update slot N: check button N only, then the setting update.
    void choose(int index);
    // Writes the stored text of the checked button under the key.
    void storeChecked();
    // Factory reset: clicks the factory button.
    void clickFactoryChoice();
    // Checks and focuses the default button, storing nothing: a screen of
    // actions returns to its harmless choice.
    void checkDefault();

    // The screen's setting update slot; by default stores the choice.
    virtual void settingChanged() { storeChecked(); }
    // Runs once at start after the stored choice is checked.
    virtual void startupChoice(int index) { Q_UNUSED(index); }

private:
    void startChoice();
    Setting m_setting;
};

// A pop-up of the main menu bar: focus moving onto or off one of its buttons
// becomes a menu tip (the button's status tip centred over it).
class PopupMenu : public MenuWindow {
    Q_OBJECT
public:
    explicit PopupMenu(bool *enabledFlag = nullptr, QWidget *parent = nullptr);

    static constexpr int kTipShown = 128;

protected:
    // Registers the buttons and watches their focus.
    void watchButtons(const QList<QAbstractButton *> &buttons);
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Emits the screen's own menu-tip signal.
    virtual void menuTip(const QString &text, int x, int y, int flags) = 0;
};

// Adds a screen's generated layout to its base.
template <class UiT, class Base>
class Screen : public Base, public UiT {
protected:
    Screen(bool *enabledFlag, QWidget *parent) : Base(enabledFlag, parent) { UiT::setupUi(this); }
    Screen(bool *enabledFlag, const ChoiceMenu::Setting &setting, QWidget *parent) : Base(enabledFlag, setting, parent)
    {
        UiT::setupUi(this);
    }
    void retranslate() override
    {
        UiT::retranslateUi(this);
        Base::retranslate();
    }
};
