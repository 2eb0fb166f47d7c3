#pragma once
// The small field widgets of the Ливна-КВ-М editor: a positional text field, an up-down counter
// bound to an edit, and a radio group with an item index.
#include <QGroupBox>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QScrollArea;
class QToolButton;

namespace livna {

/// A text field whose characters have fixed positions, as the panel reads them: position 1 is
/// the first character, and a position beyond the end of the text or left blank reads as a
/// space. Times ("__:__") use an input mask, so their blank digit places show as "_"; the
/// other fields take any character and leave the checking to the field rules.
/// QLineEdit::text() drops the blanks of a masked field, so the rules use positionalText().
class MaskedField : public QLineEdit {
    Q_OBJECT
public:
    enum class Kind { Text, Time };
    MaskedField(Kind kind, int positions, QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    int positions() const { return m_positions; }
    /// Exactly positions() characters; blanks and missing places as spaces (times keep "_").
    QString positionalText() const;
    /// Character at a 1-based position; a space beyond the end of the text.
    QChar at(int position) const;
    /// True when no position holds anything but a space or a mask blank.
    bool isBlank() const;

signals:
    /// The field was clicked with the mouse.
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Kind m_kind;
    int m_positions;
};

/// The up-down counter bound to an edit: its position is the value; the buttons step it
/// within the range and the bound edit shows it.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(int minimum, int maximum, QWidget* parent = nullptr);

    int position() const { return m_position; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    /// Clamps to the range; emits positionChanged only when the position really changes.
    void setPosition(int position);

signals:
    void positionChanged(int position);

private:
    QToolButton* m_up;
    QToolButton* m_down;
    int m_minimum;
    int m_maximum;
    int m_position;
};

/// A captioned group of radio items with a zero-based item index (-1 = no item chosen).
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);

    int itemIndex() const;
    /// -1 or an index outside the items leaves the group with no item chosen.
    void setItemIndex(int index);
    int count() const;
    QString item(int index) const;
    QButtonGroup* buttons() const { return m_buttons; }

signals:
    /// The user chose an item (not emitted by setItemIndex: callers run their rules themselves).
    void itemChosen(int index);

private:
    QButtonGroup* m_buttons;
};

/// A page whose contents scroll when the window is smaller than they are.
QScrollArea* scrolled(QWidget* content);

}  // namespace livna
