#include "ui/field_link_grid.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>

#include "platform/qt/qt_text.h"

namespace qm {
namespace {

QString HintText() {
  // The hint separates its lines with a lone CR; Qt breaks lines at LF.
  return ToQString(FieldLinkTable::Hint()).replace(u'\r', u'\n');
}

}  // namespace

FieldLinkGridModel::FieldLinkGridModel(FieldLinkTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
  table_.SetObserver(this);
}

FieldLinkGridModel::~FieldLinkGridModel() { table_.SetObserver(nullptr); }

int FieldLinkGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.RowCount() - table_.FixedRows();
}

int FieldLinkGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : FieldLinkTable::kColumnCount;
}

QVariant FieldLinkGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole || role == Qt::EditRole)
    return ToQString(table_.Cell(index.column(), TableRow(index.row())));
  if (role == Qt::ToolTipRole) return HintText();
  return {};
}

bool FieldLinkGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  table_.SetCell(index.column(), TableRow(index.row()), FromQString(value.toString()));
  return true;
}

Qt::ItemFlags FieldLinkGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant FieldLinkGridModel::headerData(int section, Qt::Orientation orientation,
                                        int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::ToolTipRole) return HintText();
  if (role != Qt::DisplayRole || table_.FixedRows() == 0) return {};
  return ToQString(table_.Cell(section, 0));
}

void FieldLinkGridModel::CellChanged(int column, int row) {
  if (row < table_.FixedRows()) {
    emit headerDataChanged(Qt::Horizontal, column, column);
    return;
  }
  if (row >= table_.RowCount()) return;
  const QModelIndex at = index(GridRow(row), column);
  emit dataChanged(at, at);
}

void FieldLinkGridModel::RowCountChanged(int, int) {
  // Rows come back with the texts they kept, so a reset is the honest notification.
  beginResetModel();
  endResetModel();
}

void FieldLinkGridModel::FixedRowsChanged() {
  beginResetModel();
  endResetModel();
  emit headerDataChanged(Qt::Horizontal, 0, FieldLinkTable::kColumnCount - 1);
  emit HeaderRowReleased();
}

FieldLinkGrid::FieldLinkGrid(FieldLinkTable& table, QWidget* parent)
    : QTableView(parent), table_(table), model_(new FieldLinkGridModel(table, this)),
      menu_(new QMenu(this)) {
  setModel(model_);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(kDefaultRowHeight);
  verticalHeader()->setMinimumSectionSize(kDefaultRowHeight);
  horizontalHeader()->setDefaultSectionSize(kDefaultColumnWidth);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setMinimumSectionSize(4);
  setShowGrid(true);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                  QAbstractItemView::SelectedClicked);
  setWordWrap(false);
  setToolTip(HintText());
  UpdateHeaderHeight();
  connect(model_, &FieldLinkGridModel::HeaderRowReleased, this, &FieldLinkGrid::UpdateHeaderHeight);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid())
              emit CellSelecting(current.column(), model_->TableRow(current.row()));
          });
  connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
          [this](int) { emit GridDoubleClicked(); });
}

void FieldLinkGrid::ApplyColumnFractions() {
  const auto widths = FieldLinkTable::ColumnWidths(width());
  for (int c = 0; c < FieldLinkTable::kColumnCount; ++c)
    setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
}

void FieldLinkGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  emit GridDoubleClicked();
}

void FieldLinkGrid::contextMenuEvent(QContextMenuEvent* event) {
  menu_->popup(event->globalPos());
}

void FieldLinkGrid::UpdateHeaderHeight() {
  // Without a fixed row the header only keeps the column borders within reach.
  horizontalHeader()->setFixedHeight(table_.FixedRows() ? kDefaultRowHeight : 4);
}

}  // namespace qm
