#include "ui/busy_window.h"

#include <QApplication>
#include <QEventLoop>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <chrono>
#include <exception>
#include <memory>

#include "platform/qt/qt_text.h"

namespace qm {

void AnimationStep(GaugeState& state, const QColor& highlight) {
  state.position = std::min(state.position + 1, state.maxValue);
  if (state.position != state.maxValue) return;
  const bool wasWhite = state.backColor == QColor(Qt::white);
  state.position = state.minValue;
  state.backColor = wasWhite ? highlight : QColor(Qt::white);
  state.foreColor = wasWhite ? QColor(Qt::white) : highlight;
  ++state.sweeps;
}

TGauge::TGauge(std::mutex& lock, const GaugeState& state, QWidget* parent)
    : QWidget(parent), lock_(lock), state_(state) {}

void TGauge::paintEvent(QPaintEvent*) {
  QPainter p(this);
  std::lock_guard guard(lock_);
  const QRect inner = rect().adjusted(1, 1, -1, -1);
  const int span = std::max(1, state_.maxValue - state_.minValue);
  const int filled = inner.width() * (state_.position - state_.minValue) / span;
  p.fillRect(inner, state_.backColor);
  p.fillRect(QRect(inner.left(), inner.top(), filled, inner.height()), state_.foreColor);
  p.setPen(palette().color(QPalette::Dark));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

TMessageForm::TMessageForm() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("MessageForm"));
  resize(322, 47);
  auto* panel1 = new QFrame(this);
  panel1->setObjectName(QStringLiteral("Panel1"));
  panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel1->setLineWidth(2);
  panel1->setGeometry(0, 0, 322, 47);
  auto* bevel1 = new QFrame(panel1);
  bevel1->setObjectName(QStringLiteral("Bevel1"));
  bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  bevel1->setGeometry(4, 8, 313, 35);
  mess_ = new QLabel(QStringLiteral("..."), panel1);
  mess_->setObjectName(QStringLiteral("Mess"));
  mess_->setGeometry(14, 12, 291, 13);
  mess_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  gauge_.foreColor = palette().color(QPalette::Highlight);
  progress_ = new TGauge(lock_, gauge_, panel1);
  progress_->setObjectName(QStringLiteral("Progress"));
  progress_->setGeometry(18, 30, 289, 6);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

GaugeState TMessageForm::Gauge() const {
  std::lock_guard guard(lock_);
  return gauge_;
}

TMyThread::TMyThread(TMessageForm& form)
    : form_(form), highlight_(form.palette().color(QPalette::Highlight)) {
  thread_ = std::thread([this] { Execute(); });
}

TMyThread::~TMyThread() {
  stopRequest_ = true;
  if (thread_.joinable()) thread_.join();
}

void TMyThread::Execute() {
  {
    std::lock_guard guard(form_.lock_);
    form_.gauge_ = GaugeState{};
    form_.gauge_.foreColor = highlight_;
  }
  while (!stopRequest_) {
    {
      std::lock_guard guard(form_.lock_);
      AnimationStep(form_.gauge_, highlight_);
    }
    // The user-interface thread paints it as soon as it takes its next event.
    QMetaObject::invokeMethod(form_.progress_, qOverload<>(&QWidget::update), Qt::QueuedConnection);
    std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
  }
  running_ = false;
}

namespace {
// The window is destroyed after its thread (declaration order), so the thread never paints into
// a destroyed window.
std::unique_ptr<TMessageForm> g_window;
std::unique_ptr<TMyThread> g_thread;
}  // namespace

void ShowBusyWindow(const std::string& message, bool animate) {
  g_thread.reset();
  g_window = std::make_unique<TMessageForm>();
  g_window->Progress()->hide();
  g_window->Mess()->setText(ToQString(message));
  if (animate) {
    g_window->Progress()->show();
    g_thread = std::make_unique<TMyThread>(*g_window);
  }
  g_window->show();
  QApplication::processEvents();
}

void HideBusyWindow() {
  if (!g_window) return;
  g_thread.reset();
  g_window->close();
  g_window.reset();
}

TMessageForm* CurrentBusyWindow() { return g_window.get(); }

bool BusyAnimationRunning() { return g_thread && g_thread->Running(); }

void RunWhileBusy(const std::function<void()>& call) {
  QEventLoop loop;
  std::exception_ptr error;
  std::thread worker([&] {
    try {
      call();
    } catch (...) {
      error = std::current_exception();
    }
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
  if (error) std::rethrow_exception(error);
}

}  // namespace qm
