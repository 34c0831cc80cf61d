#pragma once
// A link label: underlined text in the highlight colour with a hand cursor. A click opens the
// label's address (its address property when that is not blank, else its caption); after a
// successful open the text turns to the visited colour. A blinking label swaps its text colour
// between its font colour and blue every 500 ms for as long as it exists.

#include <QColor>
#include <QLabel>
#include <QTimer>
#include <functional>

namespace qm {

class UrlLabel : public QLabel {
  Q_OBJECT

 public:
  // Opens an address; true when it was opened.
  using Opener = std::function<bool(const QString& address)>;

  static constexpr int kBlinkIntervalMs = 500;
  static inline const QColor kVisitedColor{128, 0, 128};
  static inline const QColor kBlinkColor{0, 0, 255};

  explicit UrlLabel(const QString& caption, QWidget* parent = nullptr);

  QString Address() const { return address_; }
  void SetAddress(const QString& address) { address_ = address; }
  // The address a click opens.
  QString Target() const;
  // Replaces the default opener (the desktop's handler for the address).
  void SetOpener(Opener opener) { opener_ = std::move(opener); }
  void SetBlinking(bool on);

  QColor FontColor() const { return fontColor_; }
  QColor ShownColor() const { return shownColor_; }

  // Opens the target as a click does.
  void Open();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void ShowColor(const QColor& color);
  void Blink();

  QString address_;
  Opener opener_;
  QColor fontColor_;
  QColor shownColor_;
  QTimer blinkTimer_;
};

}  // namespace qm
