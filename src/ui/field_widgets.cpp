#include "ui/field_widgets.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace livna {

namespace {
constexpr QChar kMaskBlank = u'_';
}

MaskedField::MaskedField(Kind kind, int positions, QWidget* parent)
    : QLineEdit(parent), m_kind(kind), m_positions(positions) {
    if (kind == Kind::Time) {
        setInputMask(QStringLiteral("00:00;_"));
    } else {
        setMaxLength(positions);
    }
}

QString MaskedField::positionalText() const {
    if (m_kind == Kind::Time) return displayText();  // the mask keeps every place, blanks as "_"
    QString out = text().left(m_positions);
    return out.leftJustified(m_positions, u' ');
}

QChar MaskedField::at(int position) const {
    const QString t = positionalText();
    if (position < 1 || position > t.size()) return u' ';
    return t.at(position - 1);
}

bool MaskedField::isBlank() const {
    const QString t = positionalText();
    for (int i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (m_kind == Kind::Time && i == 2) continue;  // the colon
        if (c != u' ' && c != kMaskBlank) return false;
    }
    return true;
}

void MaskedField::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit clicked();
}

UpDown::UpDown(int minimum, int maximum, QWidget* parent)
    : QWidget(parent), m_minimum(minimum), m_maximum(maximum), m_position(minimum) {
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFixedSize(16, 11);
        box->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { setPosition(m_position + 1); });
    connect(m_down, &QToolButton::clicked, this, [this] { setPosition(m_position - 1); });
}

void UpDown::setPosition(int position) {
    position = std::clamp(position, m_minimum, m_maximum);
    if (position == m_position) return;
    m_position = position;
    emit positionChanged(position);
}

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent), m_buttons(new QButtonGroup(this)) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        m_buttons->addButton(b, i);
        grid->addWidget(b, i % rows, i / rows);
    }
    connect(m_buttons, &QButtonGroup::idClicked, this, &RadioGroup::itemChosen);
}

int RadioGroup::itemIndex() const {
    return m_buttons->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* b = m_buttons->button(index)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group cannot be emptied while one of its buttons is checked.
    if (QAbstractButton* checked = m_buttons->checkedButton()) {
        m_buttons->setExclusive(false);
        checked->setChecked(false);
        m_buttons->setExclusive(true);
    }
}

int RadioGroup::count() const {
    return static_cast<int>(m_buttons->buttons().size());
}

QString RadioGroup::item(int index) const {
    QAbstractButton* b = m_buttons->button(index);
    return b != nullptr ? b->text() : QString();
}

QScrollArea* scrolled(QWidget* content) {
    auto* area = new QScrollArea;
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

}  // namespace livna
