#include "gui/upgrade_session.h"

#include "gui/dialog_bindings.h"

namespace kestrix::gui {

UpgradeSession::UpgradeSession(sim::World world, std::filesystem::path workDir, std::ostream& out,
                               MessageBoxPresenter presenter)
    : simHost_(std::move(world)),
      console_(out),
      window_(std::move(presenter)),
      host_{simHost_, simHost_, simHost_, simHost_, console_, window_, simHost_.Memory()},
      system_(std::make_unique<app::System>(host_, std::move(workDir))),
      dialog_(std::make_unique<app::UpgradeDialog>(*system_)) {
    BindDialogHandlers(window_, *dialog_);
}

UpgradeSession::~UpgradeSession() = default;

bool UpgradeSession::Start() {
    return dialog_->OnInitDialog();
}

platform::DialogResult UpgradeSession::Run() {
    return window_.Exec();
}

}  // namespace kestrix::gui
