#include "kv_editor/kv_grids.h"

#include <algorithm>

namespace livna {

KvCodeGridModel::KvCodeGridModel(const kv::Settings& settings, QObject* parent)
    : QAbstractTableModel(parent), m_settings(settings) {}

int KvCodeGridModel::rowCount(const QModelIndex& parent) const {
    // A count of 0 still shows one empty row below the header.
    return parent.isValid() ? 0 : std::max(1, m_settings.codeCount);
}

int KvCodeGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant KvCodeGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_settings.codeCount) return {};
    if (index.column() == 0) return QString::number(index.row() + 1);
    return QString::fromStdString(m_settings.codes[static_cast<std::size_t>(index.row())]);
}

QVariant KvCodeGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return section == 0 ? QStringLiteral("Номер") : QStringLiteral("Код");
}

void KvCodeGridModel::refill() {
    beginResetModel();
    endResetModel();
}

KvObjectGridModel::KvObjectGridModel(const kv::Settings& settings, QObject* parent)
    : QAbstractTableModel(parent), m_settings(settings) {}

int KvObjectGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kv::kObjects;
}

int KvObjectGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant KvObjectGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const auto row = kv::objectRowTexts(m_settings, index.row() + 1);
    return QString::fromStdString(row[static_cast<std::size_t>(index.column())]);
}

QVariant KvObjectGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    static const char* const kHeaders[kColumns] = {
        "Объект", "Вкл.", "РПД", "Доступные ШС:", " 1", " 2", " 3", " 4", " 5", " 6", " 7", " 8"};
    return QString::fromUtf8(kHeaders[section]);
}

void KvObjectGridModel::refill() {
    beginResetModel();
    endResetModel();
}

}  // namespace livna
