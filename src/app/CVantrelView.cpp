// Resource numbers of the main form, as the documents name them:
//   1000 → pageTabs            1003 → pvEdit              1004 → loopCurrentEdit
//   1005 → percentOfRangeEdit  1006 → readCurrentButton   1008 → svEdit

#include "app/CVantrelView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>
#include <QTabBar>

#include <algorithm>

#include "app/Artwork.h"
#include "app/CComDialog.h"
#include "app/CDialogConfirm.h"
#include "app/ConfigLoadRun.h"
#include "app/JournalDialog.h"
#include "app/OperationRun.h"
#include "app/TeamPush.h"
#include "app/ValueBox.h"
#include "config/JournalKeeper.h"
#include "config/KnownModels.h"
#include "engine/EngineTexts.h"
#include "engine/NumberText.h"
#include "link/HartCommands.h"
#include "link/LinkTexts.h"
#include "records/StoreJournal.h"
#include "tabs/CTabConf.h"
#include "tabs/CTabCur.h"
#include "tabs/CTabHart.h"
#include "tabs/DataExchange.h"
#include "tabs/DialogUnits.h"
#include "tabs/MessageBoxes.h"
#include "ui_CVantrelView.h"

namespace vantrel {
namespace {

// Runs `call` on the GUI thread's event loop after the current handler, as
// long as `target` still exists.
template <typename Call>
void Queue(QObject* target, Call call) {
  QMetaObject::invokeMethod(target, std::move(call), Qt::QueuedConnection);
}

}  // namespace

CVantrelView::CVantrelView(Session& session, QWidget* parent)
    : QWidget(parent), session_(session), ui_(std::make_unique<Ui::CVantrelView>()) {
  setFont(FormFont(kFormPointSize));
  ui_->setupUi(this);
  ApplyDialogUnits(this);
  setFixedSize(size());

  ui_->pvEdit->setFont(FormFont(kPvPointSize));
  ui_->pageTabs->tabBar()->setFont(FormFont(kTabPointSize));
  // A picture control takes the size of its bitmap.
  ui_->pictureLogo->setPixmap(MakeLogo());
  ui_->pictureLogo->resize(kLogoWidth, kLogoHeight);

  comDialog_ = new CComDialog(session_, this);
  comDialog_->hide();
  // The journal goes to the local store; the team database gets it from
  // the push, on its own thread.
  auto store = std::make_unique<StoreJournal>(RecordStore::defaultPath());
  storeJournal_ = store.get();
  journal_ = new JournalKeeper(session_, std::move(store), this);
  teamPush_ = new TeamPush(RecordStore::defaultPath(), this);
  connect(teamPush_, &TeamPush::unavailable, this, &CVantrelView::failureReasonChanged);
  teamPush_->push();

  DeviceData& data = session_.data();
  tabHart_ = new CTabHart(data, *this);
  tabConf_ = new CTabConf(data, *this);
  tabCur_ = new CTabCur(data, *this);
  ui_->pageTabs->addTab(tabHart_, tr("Hart设置"));
  ui_->pageTabs->addTab(tabConf_, tr("组态设置"));
  ui_->pageTabs->addTab(tabCur_, tr("电流调整"));
  ui_->pageTabs->setCurrentIndex(0);
  fitTabsToPages();

  dialogConfirmer_ = std::make_unique<DialogConfirmer>(
      this, [this](OperationCode op) { return confirmationText(op); });
  setConfirmer(nullptr);

  fillLists();
  connectSession();
  connect(ui_->readCurrentButton, &QPushButton::clicked, this, &CVantrelView::onReadCurrent);

  acquisitionTimer_.setInterval(kAcquisitionPeriodMs);
  connect(&acquisitionTimer_, &QTimer::timeout, this, &CVantrelView::acquisitionTick);
  acquisitionTimer_.start();

  showData();
}

CVantrelView::~CVantrelView() = default;

// What the session reports reaches the screen here.
void CVantrelView::connectSession() {
  Session* s = &session_;
  connect(s, &Session::statusTextChanged, this,
          [this](const std::string& text) { emit statusTextChanged(Utf8Text(text)); });
  connect(s, &Session::progressChanged, this, &CVantrelView::progressChanged);
  connect(s, &Session::refreshRequested, this, &CVantrelView::refresh);
  connect(s, &Session::deviceDateRead, tabHart_, &CTabHart::setDeviceDate);
  connect(s, &Session::pollAddressesFound, tabHart_, &CTabHart::refillPollAddresses);
  connect(s, &Session::searchReportReady, this, &CVantrelView::showSearchReport);
  connect(s, &Session::messageShown, this, &CVantrelView::showMessage);
  connect(s, &Session::operationFinished, this, &CVantrelView::operationEnded);
  // Once: the operations still run.
  connect(journal_, &JournalKeeper::journalFailed, this,
          [this](const QString& path, const QString& reason) {
            ShowMessageBox(window(), MessageIcon::Warning,
                           tr("操作记录无法写入：%1（%2）。操作照常进行。")
                               .arg(QDir::toNativeSeparators(path), reason));
          });
  connect(s, &Session::deviceStatusChanged, this, &CVantrelView::deviceStatusChanged);
  // The port went away (a USB adapter pulled out, a HART-IP server gone):
  // say so at once, why beside the status, and show that nothing is
  // connected; the program goes on and the port can be opened again from the
  // port dialog.
  connect(s, &Session::portLost, this, [this](const QString& reason) {
    emit statusTextChanged(CoreText(texts::kNotConnected));
    emit failureReasonChanged(reason);
    lastReading_.reset();
    showMessage(MessageIcon::Error, texts::kPortLost);
    showInstrument();
  });
  // An open port says so until an operation has something to say.
  connect(s, &Session::portReady, this, [this](const QString& where) {
    lastReading_.reset();
    emit statusTextChanged(tr("已连接 %1").arg(where));
  });
  connectInstrument();
}

// Which instrument is connected, what belongs to it, and which models the
// family's own commands may go to.
void CVantrelView::connectInstrument() {
  Session* s = &session_;
  s->setKnownModels(LoadKnownModels());
  s->setModelPolicy(ModelPolicy::Ask);
  connect(s, &Session::instrumentSeen, this, &CVantrelView::showInstrument);
  connect(s, &Session::pageFieldsCleared, this, &CVantrelView::clearFields);
  connect(s, &Session::modelQuestionAsked, this, &CVantrelView::askAboutModel);
  connect(s, &Session::modelRemembered, this, &RememberKnownModel);
  connect(s, &Session::pollAddressTaken, this, [this](int address) {
    tabHart_->offerPollAddress(static_cast<std::uint8_t>(address));
    emit failureReasonChanged(
        Utf8Text(texts::WithArgs(texts::kNewPollAddress, {std::to_string(address)})));
  });
  connect(s, &Session::acquisitionStopRequested, this, [this](const std::string& reason) {
    endAcquisition();
    emit failureReasonChanged(Utf8Text(reason));
  });
}

// The line above the status: revision, model and ID, and the tag once read
// from this instrument.
void CVantrelView::showInstrument() {
  const DeviceData& d = session_.data();
  if (!d.instrument || !session_.isPortOpen()) {
    emit instrumentChanged(QString());
    return;
  }
  QString line = Utf8Text(InstrumentText(*d.instrument));
  const bool tagRead = (d.readFields & kTagField) && d.valuesFrom &&
                       IsSameInstrument(d.valuesFrom->identity, d.instrument->identity);
  if (tagRead && !d.tag.empty()) line += tr("  标签 ") + Utf8Text(d.tag);
  emit instrumentChanged(line);
  if (line != notedInstrument_) {
    notedInstrument_ = line;
    QString error;  // the list of instruments met is no record to warn about
    storeJournal_->noteInstrument(
        QString::fromStdString(FormatLongAddressText(LongAddressToShow(d.longAddress))),
        tagRead ? Utf8Text(d.tag) : QString(), &error);
  }
}

// The values of another instrument leave the pages, and the current
// variables with them.
void CVantrelView::clearFields(unsigned fields) {
  tabHart_->showFields(fields);
  tabConf_->showFields(fields);
  DeviceData& d = session_.data();
  d.loopCurrent = d.percentOfRange = 0.0f;
  d.pvText.clear();
  d.svText.clear();
  currentRead_ = false;
  lastReading_.reset();
  showData();
}

// 是 sends the family's command; "记住此型号" stops the asking for this model.
void CVantrelView::askAboutModel(const ModelQuestion& question) {
  if (modelQuestion_) modelQuestion_->close();
  auto* remember = new QCheckBox(tr("记住此型号"));
  remember->setObjectName(QStringLiteral("rememberModelCheck"));
  QPointer<QCheckBox> check(remember);
  const unsigned number = question.number;
  modelQuestion_ =
      AskQuestion(window(), Utf8Text(question.text), QMessageBox::Yes | QMessageBox::No,
                  [this, check, number](int answer) {
                    session_.answerModelQuestion(number, answer == QMessageBox::Yes,
                                                 check && check->isChecked());
                  });
  modelQuestion_->setCheckBox(remember);
}

// The page area is made as large as the pages' visible contents: the
// templates make it shorter than the lowest group boxes of two pages, which
// would be cut. The form grows with it.
void CVantrelView::fitTabsToPages() {
  QTabWidget* tabs = ui_->pageTabs;
  const int margin = fontMetrics().height() / 4;
  for (int i = 0; i < tabs->count(); ++i) {
    QWidget* page = tabs->widget(i);
    QRect used;
    for (QWidget* child : page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (child->isVisibleTo(page)) used |= child->geometry();
    }
    page->setMinimumSize(used.right() + margin, used.bottom() + margin);
  }
  const QSize needed = tabs->minimumSizeHint();
  const int wider = std::max(0, needed.width() - tabs->width());
  const int taller = std::max(0, needed.height() - tabs->height());
  if (wider == 0 && taller == 0) return;
  tabs->resize(tabs->width() + wider, tabs->height() + taller);
  setFixedSize(width() + wider, height() + taller);
}

QTabWidget* CVantrelView::tabControl() const {
  return ui_->pageTabs;
}

void CVantrelView::fillLists() {
  tabHart_->refillPollAddresses({PollAddressItem{"0", 0}});
  tabCur_->fillCalibrationPoints();
  tabConf_->fillSensorTypes();
  tabConf_->fillUnits();
  session_.data().resistance = 100.0f;
  tabConf_->showData();
  tabConf_->fillGains();
}

void CVantrelView::setConfirmer(Confirmer* confirmer) {
  tabConf_->setConfirmer(confirmer ? confirmer : dialogConfirmer_.get());
  tabCur_->setConfirmer(confirmer ? confirmer : dialogConfirmer_.get());
}

void CVantrelView::start(OperationCode op) {
  startOperation(op);
}

// Every operation the user starts goes through the journal, and clears the
// reason the one before failed.
bool CVantrelView::startOperation(OperationCode op) {
  emit failureReasonChanged(QString());
  journal_->starting(op);
  return session_.start(op, tabHart_->pollAddress());
}

// The file's operations start as the pages' do.
OperationRun::Starter CVantrelView::starter() {
  return [this](OperationCode op) { return startOperation(op); };
}

// The journal's record is written before anyone hears of the end. A missed
// acquisition poll says nothing, as before. A fixed current the instrument
// confirmed holds the loop of that instrument until a release is confirmed.
// A question about the model that the engine no longer waits for (another
// operation took the link) is closed; what a success has to say (the pages
// cleared for another instrument) is shown as a failure's reason is.
void CVantrelView::operationEnded(const OperationEnd& end) {
  if (journal_->ended(end) && IsJournaled(end.op)) teamPush_->push();
  if (modelQuestion_ && !session_.engine().askingAboutModel()) modelQuestion_->close();
  if (end.op == OP_FIXED_CURRENT && end.result == OperationResult::Success) {
    fixedBySetting_ = data().calibrationPoint != 0.0f;
    fixedOn_ = fixedBySetting_ ? data().instrument : std::nullopt;
  }
  if (end.op != OP_POLL && (end.result != OperationResult::Success || !end.reason.empty())) {
    emit failureReasonChanged(Utf8Text(end.reason));
  }
  showInstrument();
  emit operationFinished(static_cast<int>(end.op), static_cast<int>(end.result));
}

bool CVantrelView::loopCurrentFixed() const {
  return fixedBySetting_ || (deviceStatus() & kLoopCurrentFixed) != 0;
}

// A fixed current set here belongs to the instrument it was sent to; a
// device status saying so, to the instrument that sent it.
std::optional<Instrument> CVantrelView::loopFixedInstrument() const {
  if (fixedBySetting_) return fixedOn_;
  return loopCurrentFixed() ? session_.data().instrument : std::nullopt;
}

bool CVantrelView::loopInstrumentConnected() const {
  const std::optional<Instrument> fixed = loopFixedInstrument();
  const std::optional<Instrument>& connected = session_.data().instrument;
  return session_.isPortOpen() && fixed && connected &&
         IsSameInstrument(fixed->identity, connected->identity);
}

void CVantrelView::releaseLoopCurrent(std::function<void(bool released)> released) {
  auto* once = new QObject(this);
  connect(this, &CVantrelView::operationFinished, once,
          [once, released = std::move(released)](int op, int result) {
            if (op != OP_FIXED_CURRENT) return;
            once->deleteLater();
            released(result == static_cast<int>(OperationResult::Success));
          });
  data().calibrationPoint = 0.0f;
  // Only to the instrument whose loop it is: another one at the address
  // ends it refused after command 0.
  if (const std::optional<Instrument> fixed = loopFixedInstrument()) {
    session_.requireInstrument(fixed->identity);
  }
  startOperation(OP_FIXED_CURRENT);  // a refusal ends it at once, unreleased
}

void CVantrelView::stopAcquisition() {
  acquisitionTimer_.stop();
  endAcquisition();
}

// The acquisition is off until the user starts it again; then it asks about
// the model again.
void CVantrelView::endAcquisition() {
  data().acquiring = false;
  acquiringSeen_ = false;
  session_.acquisitionStopped();
  tabConf_->acquisitionStopped();
}

void CVantrelView::saveConfiguration() {
  const FileDialogTexts texts{tr("保存组态"), tr("组态文件 (*.json)"), QStringLiteral("json")};
  // Named after the tag, with what a file name cannot hold replaced.
  QString name = Utf8Text(data().tag).trimmed();
  name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
  const QString suggested =
      InDocuments((name.isEmpty() ? QStringLiteral("vantrel") : name) + QStringLiteral(".json"));
  QPointer<CVantrelView> self(this);
  ChooseFile(this, texts, suggested, chooser_, [self](const QString& file) {
    if (!self || file.isEmpty()) return;
    const std::uint8_t address = self->tabHart_->pollAddress();
    auto saved = [self, file, address](QString error) {
      if (!self) return;
      if (error.isEmpty() && SaveConfigurationFile(file, self->session_.data(), address, &error)) {
        emit self->statusTextChanged(tr("组态已保存到 %1").arg(QDir::toNativeSeparators(file)));
        return;
      }
      ShowMessageBox(self->window(), MessageIcon::Error,
                     tr("组态未保存：%1（%2）").arg(QDir::toNativeSeparators(file), error));
    };
    (new OperationRun(self->session_, self->starter(), OperationRun::Reads(), saved, self))
        ->start();
  });
}

void CVantrelView::loadConfiguration() {
  const FileDialogTexts texts{tr("载入组态"), tr("组态文件 (*.json)"), QStringLiteral("json"),
                              false};
  QPointer<CVantrelView> self(this);
  ChooseFile(this, texts, InDocuments({}), chooser_, [self](const QString& path) {
    if (!self || path.isEmpty()) return;
    QFile file(path);
    Configuration configuration;
    const std::string error = file.open(QIODevice::ReadOnly)
                                  ? ParseConfiguration(file.readAll(), configuration)
                                  : file.errorString().toStdString();
    if (!error.empty()) {
      ShowMessageBox(
          self->window(), MessageIcon::Error,
          tr("组态文件无法载入：%1（%2）").arg(QDir::toNativeSeparators(path), Utf8Text(error)));
      return;
    }
    auto* run = new ConfigLoadRun(self->session_, self->starter(), configuration, self->window(),
                                  [self](const QString& text) {
                                    if (self) emit self->statusTextChanged(text);
                                  });
    run->setParent(self);
    run->start();
  });
}

void CVantrelView::showJournal() {
  auto* dialog = new JournalDialog(journal_->path(), window());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setFileChooser(chooser_);
  dialog->open();
}

void CVantrelView::showPortDialog() {
  comDialog_->showPortDialog();
}

void CVantrelView::onCommTest() {
  start(OP_COMM_TEST);
}

void CVantrelView::onSearchDevices() {
  searchWith(SearchPlan{});
}

// The plan stays in the data for the range dialog to offer next time; the
// menu's search puts the specified one back.
void CVantrelView::searchWith(const SearchPlan& plan) {
  session_.data().search = plan;
  start(OP_SEARCH);
}

void CVantrelView::onReadCurrent() {
  start(OP_READ_CURRENT);
}

void CVantrelView::acquisitionTick() {
  if (!session_.data().acquiring) {
    if (acquiringSeen_) endAcquisition();  // stopped with the page's button
    return;
  }
  acquiringSeen_ = true;
  session_.pollTick(tabHart_->pollAddress());
}

// Before the first successful read the boxes stay empty: a "0" would look
// like a reading.
void CVantrelView::showData() {
  const DeviceData& data = session_.data();
  ui_->loopCurrentEdit->setText(currentRead_ ? FloatText(data.loopCurrent) : QString());
  ui_->percentOfRangeEdit->setText(currentRead_ ? FloatText(data.percentOfRange) : QString());
  ShowValueFitted(ui_->pvEdit, Utf8Text(data.pvText), kPvPointSize);
  ui_->svEdit->setText(Utf8Text(data.svText));
}

void CVantrelView::showMessage(MessageIcon icon, const std::string& text) {
  ShowMessageBox(window(), icon, CoreText(text));
}

// A page shows only what the operation asking read, so that what the user
// is typing elsewhere on it stays.
void CVantrelView::refresh(RefreshTarget target, RefreshDirection direction, OperationCode op) {
  switch (target) {
    case RefreshTarget::View:
      Queue(this, [this] {
        currentRead_ = true;
        const DeviceData& d = session_.data();
        lastReading_ =
            LastReading{d.primaryVariable, d.pvUnitCode, d.loopCurrent, d.percentOfRange};
        showData();
      });
      break;
    case RefreshTarget::TabHart:
      Queue(tabHart_, [page = tabHart_, direction, op] { page->refresh(direction, op); });
      break;
    case RefreshTarget::TabConf:
      Queue(tabConf_, [page = tabConf_, direction, op] { page->refresh(direction, op); });
      break;
    case RefreshTarget::TabCur:
      Queue(tabCur_, [page = tabCur_, direction] { page->refresh(direction); });
      break;
  }
}

// The search reports "搜索完成" only once its report is closed.
void CVantrelView::showSearchReport(const std::string& text, unsigned report) {
  QPointer<CVantrelView> self(this);
  ShowMessageBox(window(), MessageIcon::Information, Utf8Text(text), [self, report] {
    if (self) self->session_.searchReportClosed(report);
  });
}

}  // namespace vantrel
