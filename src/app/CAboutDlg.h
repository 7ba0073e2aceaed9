// "关于 Vantrel": the program's name and version.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CAboutDlg;
}

namespace vantrel {

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
  ~CAboutDlg() override;

  // Opens a box over `parent` and returns at once; it deletes itself when
  // closed.
  static CAboutDlg* showAbout(QWidget* parent);

 private:
  std::unique_ptr<Ui::CAboutDlg> ui_;
};

}  // namespace vantrel
