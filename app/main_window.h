#pragma once
// TForm1, the main window: the controls from which the user connects, picks the source file and
// the target table, edits the field links and runs the import. The window only wires its
// controls; what a command does lives in the modules it calls.

#include <QWidget>
#include <string>

#include "import/field_link_table.h"
#include "oracle/oracle_dataset.h"
#include "oracle/oracle_logon.h"
#include "oracle/oracle_query.h"
#include "oracle/oracle_session.h"
#include "source/source_table.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace qm {

class FieldLinkGrid;
class FilenameEdit;
class TCreateForm;
class TForm2;
class UrlLabel;

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kDesignCaption = "Quillmove";
  static constexpr int kOuterWidth = 423;
  static constexpr int kOuterHeight = 414;

  // `executablePath` is the file whose version record completes the caption.
  explicit TForm1(const std::string& executablePath, QWidget* parent = nullptr);

  FieldLinkTable& Links() { return links_; }
  bool Connected() const { return connected_; }
  // The components the window owns.
  SourceTable& dbf() { return dbf_; }
  TOracleSession& OracleSession1() { return oracleSession1_; }
  TOracleLogon& OracleLogon1() { return oracleLogon1_; }
  TOracleDataSet& ods1() { return ods1_; }
  TOracleQuery& q() { return q_; }
  // Whether an import run is in progress.
  bool Running() const { return running_; }
  // The import-errors window the commands log to (owned by the start-up).
  void SetErrorsWindow(TForm2* form2) { form2_ = form2; }

  // Grid notification: the cell (column, row) is about to become current; always allowed.
  void SGSelectCell(int column, int row, bool& canSelect);
  void Fillonetoone1Click();
  // Field pick: a source field name for the selected row, through the list picker.
  void SGDblClick();
  // The source file box's dialog has run: the source table takes the path's folder and name.
  void FilenameEdit1AfterDialog(std::string& name, bool& accept);
  // Preview of the source table last set up.
  void SpeedButton3Click();
  // Save and load of the field links.
  void SpeedButton2Click();
  void SpeedButton1Click();
  // The hidden Create button: the tablespace-and-user window.
  void Button4Click();
  // Connect / Disconnect.
  void Button1Click();
  // Close: logs off first when connected, then closes the window.
  void Button3Click();
  // The table box's choice: the field-link rows from the chosen table's columns.
  void ComboBox1Change();
  // Refills the table box from the schema's tables.
  void RefreshTableList();
  // Process data: the import run.
  void Button2Click();
  // "Check data" in Process data's context menu: the dry run (app/check_data_command.h).
  void CheckData1Click();
  // "+": a target table made from the source file's structure.
  void SpeedButton4Click();
  // The create window's Create: the tablespace-and-user script.
  void CreateFormButton2Click(TCreateForm& form);

  QPushButton* Button1() const { return button1_; }
  QPushButton* Button2() const { return button2_; }
  QPushButton* Button3() const { return button3_; }
  QPushButton* Button4() const { return button4_; }
  FilenameEdit* FilenameEdit1() const { return filenameEdit1_; }
  QComboBox* ComboBox1() const { return comboBox1_; }
  FieldLinkGrid* SG() const { return sg_; }
  QCheckBox* CheckBox1() const { return checkBox1_; }
  QCheckBox* CheckBox2() const { return checkBox2_; }
  QProgressBar* ProgressBar1() const { return progressBar1_; }
  QLabel* Label6() const { return label6_; }
  // The addresses of the update and donation links; a link without an address is hidden, and
  // with the update link the label that introduces it. The program's own come from the build
  // (QUILLMOVE_UPDATE_URL, QUILLMOVE_DONATE_URL; empty by default).
  void SetLinkAddresses(const QString& update, const QString& donate);
  QLabel* Label4() const { return label4_; }
  UrlLabel* RzURLLabel1() const { return rzURLLabel1_; }
  UrlLabel* RzURLLabel2() const { return rzURLLabel2_; }
  QToolButton* SpeedButton1() const { return speedButton1_; }
  QToolButton* SpeedButton2() const { return speedButton2_; }
  QToolButton* SpeedButton3() const { return speedButton3_; }
  QToolButton* SpeedButton4() const { return speedButton4_; }
  QAction* Fillonetoone1() const { return fillonetoone1_; }
  QAction* CheckData1() const { return checkData1_; }
  // The code page the user picked in the preview for the file named in the source box, and that
  // file; the preview and every run of that file read it in that code page.
  const std::string& ChosenCodePage() const { return chosenCodePage_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  class ImportFace;
  void CreateControls();
  // Disables what would start another operation while a run is in progress.
  void SetRunning(bool running);
  void FormCreate(const std::string& executablePath);
  // Gives the source table the code page picked for the file in the source box, if any.
  void ApplyChosenCodePage();

  // Declared first, so that the session is destroyed after everything attached to it.
  TOracleSession oracleSession1_;
  TOracleLogon oracleLogon1_;
  TOracleDataSet ods1_;
  TOracleQuery q_;
  FieldLinkTable links_;
  SourceTable dbf_{"dbf"};
  bool running_ = false;
  TForm2* form2_ = nullptr;
  bool connected_ = false;
  std::string chosenCodePage_;
  std::string chosenCodePageFile_;

  QPushButton* button1_ = nullptr;
  QPushButton* button2_ = nullptr;
  QPushButton* button3_ = nullptr;
  QPushButton* button4_ = nullptr;
  FilenameEdit* filenameEdit1_ = nullptr;
  QComboBox* comboBox1_ = nullptr;
  FieldLinkGrid* sg_ = nullptr;
  QCheckBox* checkBox1_ = nullptr;
  QCheckBox* checkBox2_ = nullptr;
  QProgressBar* progressBar1_ = nullptr;
  QLabel* label6_ = nullptr;
  QLabel* label4_ = nullptr;
  UrlLabel* rzURLLabel1_ = nullptr;
  UrlLabel* rzURLLabel2_ = nullptr;
  QToolButton* speedButton1_ = nullptr;
  QToolButton* speedButton2_ = nullptr;
  QToolButton* speedButton3_ = nullptr;
  QToolButton* speedButton4_ = nullptr;
  QAction* fillonetoone1_ = nullptr;
  QAction* checkData1_ = nullptr;
};

}  // namespace qm
