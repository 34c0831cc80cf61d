#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include "app/check_data_command.h"
#include "app/database_adapters.h"
#include "app/link_addresses.h"
#include "import/field_link_file.h"
#include "import/import_run.h"
#include "import/rejected_records.h"
#include "import/paced_progress_window.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/standard_error_box.h"
#include "platform/version_record.h"
#include "schema/catalogue.h"
#include "schema/table_creation.h"
#include "schema/tablespace_script.h"
#include "source/source_path.h"
#include "ui/busy_window.h"
#include "ui/create_window.h"
#include "ui/directory_edit.h"
#include "ui/field_link_grid.h"
#include "ui/filename_edit.h"
#include "ui/fit_text.h"
#include "ui/import_errors_window.h"
#include "ui/list_picker.h"
#include "ui/preview_window.h"
#include "ui/table_picture.h"
#include "ui/url_label.h"
#include "ui/widget_placement.h"

namespace qm {

// The main window as the import run sees it.
class TForm1::ImportFace : public ImportRunWindow {
 public:
  explicit ImportFace(TForm1& form) : form_(form) {}
  const FieldLinkTable& Links() override { return form_.links_; }
  std::string TableName() override { return FromQString(form_.comboBox1_->currentText()); }
  std::string SourcePath() override { return form_.filenameEdit1_->Text(); }
  bool DeleteOldData() override { return form_.checkBox1_->isChecked(); }
  bool SeekOldRecord() override { return form_.checkBox2_->isChecked(); }
  void SetProgressMax(int max) override {
    form_.progressBar1_->setMaximum(std::max(max, 0));
    form_.progressBar1_->setMinimum(0);
  }
  void SetProgress(int position) override { form_.progressBar1_->setValue(position); }
  void SetCounterLabel(const std::string& text) override {
    form_.label6_->setText(ToQString(text));
    form_.label6_->adjustSize();  // a label sizes itself to its text
  }
  void ProcessEvents() override { QApplication::processEvents(); }
  void AppendErrorLog(const std::string& entry, const std::string& reason) override {
    if (form_.form2_) form_.form2_->AppendLine(entry, reason);
  }
  void ShowErrorLog() override {
    if (form_.form2_) form_.form2_->ShowErrors();
  }
  MessageButton ShowMessage(const MessageBoxRequest& request) override {
    return AppDialogs().ShowMessage(request);
  }
  void ShowBusy(const std::string& message) override { ShowBusyWindow(message, true); }
  void RunBlocking(const std::function<void()>& call) override { RunWhileBusy(call); }
  void HideBusy() override { HideBusyWindow(); }
  void RunStarted() override { form_.SetRunning(true); }
  void RunEnded() override { form_.SetRunning(false); }

 private:
  TForm1& form_;
};

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, std::string_view text, int left, int top,
                  int width, int height) {
  return Place(new QLabel(ToQString(text), parent), name, left, top, width, height);
}

QToolButton* MakeSpeedButton(QWidget* parent, const char* name, const char* text, int left,
                             int top, int width, int height) {
  auto* button = Place(new QToolButton(parent), name, left, top, width, height);
  button->setText(QString::fromLatin1(text));
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

}  // namespace

TForm1::TForm1(const std::string& executablePath, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromLatin1(kDesignCaption));
  // The layout gives the outer size; the client area is what is left inside the frame.
  constexpr int kFrame = 4, kTitleBar = 19;
  resize(kOuterWidth - 2 * kFrame, kOuterHeight - 2 * kFrame - kTitleBar);
  CreateControls();
  ConfigureMainLogon(oracleLogon1_, oracleSession1_);
  ods1_.SetName("ods1");
  ods1_.SetSession(&oracleSession1_);
  ods1_.SQL().Add("select * from user_tables");
  q_.SetSession(&oracleSession1_);
  FormCreate(executablePath);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(kOuterWidth / 2, kOuterHeight / 2));
  }
}

void TForm1::SetLinkAddresses(const QString& update, const QString& donate) {
  rzURLLabel1_->setText(update);
  // Without an address the sentence that leads to it goes too.
  label4_->setVisible(!update.isEmpty());
  rzURLLabel1_->setVisible(!update.isEmpty());
  rzURLLabel2_->SetAddress(donate);
  rzURLLabel2_->setVisible(!donate.isEmpty());
}

void TForm1::CreateControls() {
  button1_ = Place(new QPushButton(QStringLiteral("Connect"), this), "Button1", 8, 8, 57, 25);
  button4_ = Place(new QPushButton(QStringLiteral("Create"), this), "Button4", 68, 8, 57, 25);
  button4_->setVisible(false);
  label4_ = MakeLabel(this, "Label4", Cp1251("Обновления доступны по адресу"), 132, 4, 166, 13);
  FitTextToWidth(*label4_);
  rzURLLabel1_ = Place(new UrlLabel(QString(), this), "RzURLLabel1", 300, 4, 104, 13);
  rzURLLabel2_ = Place(new UrlLabel(ToQString(Cp1251("Помоги развитию пректа")), this),
                       "RzURLLabel2", 132, 20, 129, 13);
  rzURLLabel2_->SetBlinking(true);
  SetLinkAddresses(QString::fromUtf8(kUpdateAddress), QString::fromUtf8(kDonateAddress));
  MakeLabel(this, "Label1", "source DBF file ", 8, 46, 75, 13);
  filenameEdit1_ = Place(new FilenameEdit(this), "FilenameEdit1", 86, 42, 295, 21);
  speedButton3_ = MakeSpeedButton(this, "SpeedButton3", "", 382, 42, 23, 22);
  speedButton3_->setIcon(TablePictureIcon());
  MakeLabel(this, "Label3", "ORA table", 10, 74, 49, 13);
  comboBox1_ = Place(new QComboBox(this), "ComboBox1", 66, 70, 225, 21);
  speedButton4_ = MakeSpeedButton(this, "SpeedButton4", "+", 292, 70, 23, 22);
  MakeLabel(this, "Label2", "field links", 8, 96, 43, 13);
  speedButton2_ = MakeSpeedButton(this, "SpeedButton2", "Save", 334, 88, 43, 22);
  speedButton1_ = MakeSpeedButton(this, "SpeedButton1", "...", 380, 88, 23, 22);
  sg_ = Place(new FieldLinkGrid(links_, this), "SG", 8, 114, 397, 171);
  checkBox1_ = Place(new QCheckBox(QStringLiteral("Delete old data before insert"), this),
                     "CheckBox1", 8, 294, 161, 17);
  checkBox2_ = Place(new QCheckBox(QStringLiteral("Seek old record"), this), "CheckBox2", 8, 312,
                     163, 17);
  checkBox2_->setChecked(true);
  button2_ = Place(new QPushButton(QStringLiteral("Process data"), this), "Button2", 330, 290, 75,
                   25);
  progressBar1_ = Place(new QProgressBar(this), "ProgressBar1", 10, 350, 311, 11);
  progressBar1_->setFocusPolicy(Qt::NoFocus);
  progressBar1_->setTextVisible(false);
  progressBar1_->setValue(0);
  label6_ = MakeLabel(this, "Label6", "0\\0", 12, 364, 17, 13);
  button3_ = Place(new QPushButton(QStringLiteral("Close"), this), "Button3", 332, 348, 75, 25);

  sg_->ContextMenu()->setObjectName(QStringLiteral("PopupMenu1"));
  fillonetoone1_ = sg_->ContextMenu()->addAction(QStringLiteral("Fill one to one"));
  fillonetoone1_->setObjectName(QStringLiteral("Fillonetoone1"));
  // Process data keeps its place and its click; the dry run is one right click away.
  auto* processMenu = new QMenu(button2_);
  processMenu->setObjectName(QStringLiteral("ProcessMenu"));
  checkData1_ = processMenu->addAction(QStringLiteral("Check data"));
  checkData1_->setObjectName(QStringLiteral("CheckData1"));
  button2_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(button2_, &QWidget::customContextMenuRequested, this, [this, processMenu](QPoint at) {
    processMenu->popup(button2_->mapToGlobal(at));
  });
  connect(checkData1_, &QAction::triggered, this, Guarded([this](bool) { CheckData1Click(); }));

  // Tab order of the layout; the progress bar (7th) takes no focus, so it has no stop.
  QWidget* order[] = {button1_, filenameEdit1_, sg_,        checkBox1_, comboBox1_,
                      button2_, button3_,       checkBox2_, button4_};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

  connect(sg_, &FieldLinkGrid::CellSelecting, this, [this](int column, int row) {
    bool canSelect = true;
    SGSelectCell(column, row, canSelect);
  });
  connect(fillonetoone1_, &QAction::triggered, this, Guarded([this](bool) { Fillonetoone1Click(); }));
  connect(sg_, &FieldLinkGrid::GridDoubleClicked, this, Guarded([this] { SGDblClick(); }));
  filenameEdit1_->OnAfterDialog = [this](std::string& name, bool& accept) {
    RunHandler([&] { FilenameEdit1AfterDialog(name, accept); });
  };
  connect(speedButton3_, &QToolButton::clicked, this, Guarded([this](bool) { SpeedButton3Click(); }));
  connect(speedButton2_, &QToolButton::clicked, this, Guarded([this](bool) { SpeedButton2Click(); }));
  connect(speedButton1_, &QToolButton::clicked, this, Guarded([this](bool) { SpeedButton1Click(); }));
  connect(button4_, &QPushButton::clicked, this, Guarded([this](bool) { Button4Click(); }));
  connect(button3_, &QPushButton::clicked, this, Guarded([this](bool) { Button3Click(); }));
  connect(button1_, &QPushButton::clicked, this, Guarded([this](bool) { Button1Click(); }));
  connect(button2_, &QPushButton::clicked, this, Guarded([this](bool) { Button2Click(); }));
  connect(speedButton4_, &QToolButton::clicked, this, Guarded([this](bool) { SpeedButton4Click(); }));
  connect(comboBox1_, &QComboBox::activated, this, Guarded([this](int) { ComboBox1Change(); }));
}

void TForm1::FormCreate(const std::string& executablePath) {
  sg_->ApplyColumnFractions();
  links_.WriteHeader();
  setWindowTitle(windowTitle() + QStringLiteral(" v") +
                 ToQString(GetFileVersionString(executablePath)));
}

void TForm1::SGSelectCell(int column, int row, bool& canSelect) {
  links_.SelectCell(column, row);
  canSelect = true;
}

void TForm1::Fillonetoone1Click() { links_.FillOneToOne(); }

void TForm1::SGDblClick() {
  if (filenameEdit1_->Text().empty()) return;
  ApplyChosenCodePage();
  dbf_.Open();
  std::vector<std::string> names;
  for (int i = 0; i < dbf_.FieldCount(); ++i) names.push_back(dbf_.Field(i).DisplayName());
  dbf_.Close();
  const int picked = PickFromList(names);
  if (picked != -1)
    links_.SetCell(FieldLinkTable::kDbfField, links_.SelectedRow(),
                   names[static_cast<std::size_t>(picked)]);
}

void TForm1::FilenameEdit1AfterDialog(std::string& name, bool&) {
  const SourcePath path = SplitSourcePath(name);
  dbf_.SetDatabaseName(path.folder);
  dbf_.SetTableName(path.name);
}

void TForm1::SpeedButton3Click() {
  if (filenameEdit1_->Text().empty()) return;
  if (!dbf_.Active()) {
    ApplyChosenCodePage();
    dbf_.Open();
  }
  {
    TForm4 preview(dbf_);
    const std::string file = filenameEdit1_->Text();
    preview.OnCodePageChange = [this, file](const std::string& codePage) {
      chosenCodePage_ = codePage;
      chosenCodePageFile_ = file;
    };
    preview.exec();
  }
  dbf_.Close();
}

void TForm1::SpeedButton2Click() { SaveFieldLinksCommand(links_, AppDialogs()); }

void TForm1::SpeedButton1Click() { LoadFieldLinksCommand(links_, AppDialogs()); }

void TForm1::Button4Click() {
  TCreateForm createForm;
  createForm.OnCreate = [this](TCreateForm& form) { CreateFormButton2Click(form); };
  createForm.exec();
}

void TForm1::Button1Click() {
  if (connected_) {
    oracleSession1_.SetConnected(false);
    connected_ = false;
    button1_->setText(QStringLiteral("Connect"));
    return;
  }
  if (!oracleLogon1_.Execute()) return;
  // The logon dialog's answer, not the session, decides: OK was pressed.
  connected_ = true;
  button1_->setText(QStringLiteral("Disconnect"));
  RefreshTableList();
}

void TForm1::Button3Click() {
  if (connected_) oracleSession1_.SetConnected(false);
  close();
}

void TForm1::ComboBox1Change() {
  DataSetCatalogue catalogue(ods1_);
  FillLinksFromTable(catalogue, FromQString(comboBox1_->currentText()), links_);
}

void TForm1::RefreshTableList() {
  comboBox1_->clear();
  std::vector<std::string> items;
  DataSetCatalogue catalogue(ods1_);
  // What was read before an error stays in the list.
  auto fill = [&] {
    for (const std::string& item : items) comboBox1_->addItem(ToQString(item));
    comboBox1_->setCurrentIndex(-1);
  };
  try {
    qm::RefreshTableList(catalogue, items);
  } catch (...) {
    fill();
    throw;
  }
  fill();
}

void TForm1::ApplyChosenCodePage() {
  dbf_.Close();
  dbf_.SetCodePage(filenameEdit1_->Text() == chosenCodePageFile_ ? chosenCodePage_ : "");
}

void TForm1::CheckData1Click() {
  ApplyChosenCodePage();
  ImportFace face(*this);
  RunCheckData(face, oracleSession1_, dbf_);
}

void TForm1::Button2Click() {
  ApplyChosenCodePage();
  ImportFace face(*this);
  // Repainting the bar and the label for every record would cost more than the record itself.
  PacedProgressWindow paced(face, std::chrono::milliseconds(200));
  SessionImportDatabase database(oracleSession1_, ods1_);
  // What the errors window offers to save is the last run's, or nothing when it did not end.
  if (form2_) form2_->SetRejectedRecords(0, {});
  const std::string source = face.SourcePath();
  const ImportRunResult result = RunImport(paced, database, dbf_);
  if (!form2_ || result.rejectedRecords.empty()) return;
  form2_->SetRejectedRecords(
      result.rejectedRecords.size(),
      [source, codePage = dbf_.CodePage(), records = result.rejectedRecords](
          const std::string& path) { WriteRejectedRecords(source, codePage, records, path); });
}

void TForm1::SpeedButton4Click() {
  TableCreationContext context;
  context.sourcePath = filenameEdit1_->Text();
  context.confirm = [] {
    return AppDialogs().ShowMessage({"", "", MessageIcon::Question, kButtonYes | kButtonNo}) ==
           kButtonYes;
  };
  context.execute = [this](const std::string& sql) { ExecuteLine(q_, sql); };
  context.reportFailure = [] {
    AppDialogs().ShowMessage({"some error with created table", "Errors", MessageIcon::None, kButtonOk});
  };
  context.logStatement = [this](const std::string& sql) {
    if (!form2_) return;
    form2_->AppendLine(sql);
    form2_->ShowErrors();
  };
  context.refreshTableList = [this] { RefreshTableList(); };
  CreateTargetTable(context, dbf_);
}

void TForm1::CreateFormButton2Click(TCreateForm& form) {
  if (!oracleLogon1_.Execute()) return;
  std::vector<std::string> lines = ReadScriptLines(form.FilenameEdit1()->Text());
  FillPlaceholders(lines, {FromQString(form.Edit4()->text()), FromQString(form.Edit5()->text()),
                           FromQString(form.Edit3()->text()), form.DirectoryEdit1()->Text()});
  TOracleQuery oracleQuery1;
  oracleQuery1.SetSession(&oracleSession1_);
  const auto failed =
      RunScriptStatements(lines, [&](const std::string& sql) { ExecuteLine(oracleQuery1, sql); });
  if (failed && form2_) {
    form2_->AppendLine(*failed);
    form2_->ShowErrors();
  }
  oracleSession1_.SetConnected(false);
  form.close();
}

void TForm1::SetRunning(bool running) {
  running_ = running;
  for (QWidget* w : std::initializer_list<QWidget*>{button1_, button2_, button3_, comboBox1_,
                                                    filenameEdit1_, speedButton1_, speedButton2_,
                                                    speedButton3_, speedButton4_})
    w->setEnabled(!running);
}

void TForm1::closeEvent(QCloseEvent* event) {
  // The run processes window events once per record; the window must outlive it.
  if (running_) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

}  // namespace qm
