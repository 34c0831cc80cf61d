// Opening the preview window on a large table as the main window does (the source table opened
// with the regional value texts, the window shown), offscreen: the time until its first rows are
// painted, the time to show the last rows after a jump to the end, and the peak memory. Prints
// one line per figure; run it with QT_QPA_PLATFORM=offscreen.
//
//   preview_bench FILE.dbf

#include <sys/resource.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QPixmap>
#include <QTableView>
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/regional_formats.h"
#include "source/source_path.h"
#include "source/source_table.h"
#include "ui/preview_window.h"

namespace {

long PeakMemoryKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fputs("usage: preview_bench FILE.dbf\n", stderr);
    return 2;
  }
  qm::LoadRegionalFormats();
  const long memoryBefore = PeakMemoryKiB();

  const auto start = std::chrono::steady_clock::now();
  qm::SourceTable dbf;
  const qm::SourcePath path = qm::SplitSourcePath(argv[1]);
  dbf.SetDatabaseName(path.folder);
  dbf.SetTableName(path.name);
  dbf.Open();
  qm::TForm4 preview(dbf);
  preview.show();
  // Rendering the window paints the grid's visible rows, each read from the table then.
  const QPixmap first = preview.grab();
  const double firstRows = Since(start);

  QTableView* grid = preview.DBGrid1();
  const auto jump = std::chrono::steady_clock::now();
  grid->scrollToBottom();
  const QPixmap last = preview.grab();
  const double lastRows = Since(jump);

  const QAbstractItemModel* model = grid->model();
  const QModelIndex corner = model->index(model->rowCount() - 1, 0);
  std::printf("records: %d, fields: %d\n", model->rowCount(), model->columnCount());
  std::printf("last record, first field: %s\n",
              model->data(corner, Qt::DisplayRole).toString().toStdString().c_str());
  std::printf("first rows shown: %.6f s\n", firstRows);
  std::printf("last rows shown after a jump to the end: %.6f s\n", lastRows);
  std::printf("peak memory: %ld KiB (before opening the table: %ld KiB)\n", PeakMemoryKiB(),
              memoryBefore);
  preview.close();
  dbf.Close();
  return first.isNull() || last.isNull() ? 1 : 0;
}
