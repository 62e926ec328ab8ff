// The fixed-position entry box under the number and date boxes. Its text has a fixed length; some
// positions hold a fixed separator, the others take typed characters, and an empty position holds
// a blank, shown as '_' (or as a box chooses). Typing never inserts or removes characters, it
// overwrites:
// - when the box gets the focus its whole text is selected, unless a click placed the caret or
//   the focus comes back from a popup;
// - a typed character that its position takes replaces the character after the caret (over a
//   separator), and the caret moves past it and past a separator that follows; a character the
//   position does not take is refused (see refuse); with a selection, the selection is blanked
//   first and the character goes to its start;
// - Backspace blanks the position before the caret (over a separator) and moves the caret there;
//   Delete blanks the position after the caret and moves the caret past it; both blank a
//   selection instead; Paste types the clipboard's characters one by one; Cut copies and blanks;
// - Enter moves the focus to the next control (EnterAsTab); the caret keys, selection and Copy
//   work as in any line edit; every other edit is undone at once.
#pragma once

#include <QLineEdit>
#include <functional>

class MaskedBox : public QLineEdit {
    Q_OBJECT
public:
    // The box's text with blanks in the empty positions.
    QString entryText() const { return entry_; }
    // Shows a text; its length becomes the box's length.
    void setEntryText(const QString& text);

protected:
    explicit MaskedBox(QWidget* parent);

    // Is `pos` a fixed separator that typing passes over?
    virtual bool isFixed(int pos) const = 0;
    // Does the position `pos` take the typed character `c`?
    virtual bool takes(int pos, QChar c) const = 0;
    // Gives a box the first look at a typed character; true when the box has dealt with it.
    virtual bool typeSpecial(QChar c);
    // Runs after every key press the box has handled.
    virtual void afterKey();
    // How an empty position is shown.
    virtual QChar emptyShown() const { return '_'; }
    // Tells the user that the character typed cannot go where it was typed; nothing by default.
    virtual void refuse(QChar) {}

    // True when a focus-out means the user left the box: not when the window lost the focus or
    // a popup opened, and not while a box is checking its entry or taking the focus back.
    static bool isLeaving(const QFocusEvent* event);
    // Runs the check of a box being left; when it fails, puts the focus back into the box. The
    // box that had just received the focus is not checked meanwhile, so two boxes with bad
    // entries never pass the focus back and forth.
    bool checkOnLeaving(const std::function<bool()>& check);

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void typeChar(QChar c);
    void blank(int pos);
    bool blankSelection();
    void backspace();
    void deleteForward();
    int skipFixedForward(int pos) const;
    void display(int caret);

    QString entry_;
    static bool checking_;
};
