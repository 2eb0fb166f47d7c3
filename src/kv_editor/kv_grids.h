#pragma once
// The code grid and the object grid of the Ливна-КВ editor, shown straight from the editor's
// model: a refill after a change costs a reset of the view, not 769 × 12 cells.
#include <QAbstractTableModel>

#include "kv_editor/kv_model.h"

namespace livna {

/// `CodeEditStrGrid`: "Номер", "Код"; one row per code in use, at least one row.
class KvCodeGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    KvCodeGridModel(const kv::Settings& settings, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    /// The model's codes changed: the view asks again.
    void refill();

private:
    const kv::Settings& m_settings;
};

/// `ObjAssignStrGrid`: 12 columns, one row per object 1..768.
class KvObjectGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 12;
    /// Pixel widths of the columns.
    static constexpr int kWidths[kColumns] = {45, 30, 30, 85, 20, 20, 20, 20, 20, 20, 20, 20};

    KvObjectGridModel(const kv::Settings& settings, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void refill();

private:
    const kv::Settings& m_settings;
};

}  // namespace livna
