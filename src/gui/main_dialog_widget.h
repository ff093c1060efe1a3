#pragma once

#include <QDialog>
#include <functional>
#include <map>

namespace kestrix::gui {

// The main dialog's window (template 102) with its controls. Enter and Escape, and the
// caption's close box, are handed to the callbacks; the window closes only through Finish.
class MainDialogWidget : public QDialog {
  public:
    MainDialogWidget();

    [[nodiscard]] QWidget* Control(int controlId) const;
    [[nodiscard]] const std::map<int, QWidget*>& Controls() const { return controls_; }

    std::function<void()> onEnter;
    std::function<void()> onEscape;

    // Closes the window and ends a running Exec with `accepted`.
    void Finish(bool accepted);

    // Escape and the close box both arrive here.
    void reject() override;
    void accept() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::map<int, QWidget*> controls_;
    bool finished_ = false;
};

}  // namespace kestrix::gui
