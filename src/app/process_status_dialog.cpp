#include "app/process_status_dialog.h"

#include "app/control_ids.h"

namespace kestrix::app {

ProcessStatusDialog::ProcessStatusDialog(platform::Window& window) : window_(window) {
    window_.CreateStatusDialog();
}

void ProcessStatusDialog::SetStatusText(const std::string& text, bool forStatusLabel) {
    window_.SetItemText(platform::StatusDialogId, forStatusLabel ? StatusLabelId : StatusLogAreaId,
                        text);
}

}  // namespace kestrix::app
