#include "gui/dialog_bindings.h"

#include "app/control_ids.h"

namespace kestrix::gui {

void BindDialogHandlers(QtWindow& window, app::UpgradeDialog& dialog) {
    window.BindControl(app::CloseButtonId, [&dialog] { dialog.OnCloseButton(); });
    window.BindControl(app::GetInfoButtonId, [&dialog] { dialog.OnGetInfo(); });
    window.BindControl(app::UserIspInfoButtonId, [&dialog] { dialog.OnUserIspInfo(); });
    window.BindControl(app::IspEnaCheckBoxId, [&dialog] { dialog.OnIspEna(); });
    window.BindControl(app::IspMsFwCheckBoxId, [&dialog] { dialog.OnIspMsFw(); });
    window.BindControl(app::SelfDriverSelCheckBoxId, [&dialog] { dialog.OnSelfDriverSel(); });
    window.BindControl(app::DriverSelectListId, [&dialog] { dialog.OnDriverSelectChange(); });
    window.BindControl(app::DeviceSelListId, [&dialog] { dialog.OnDeviceSelChange(); });
    window.BindKeys([&dialog] { dialog.OnEnter(); }, [&dialog] { dialog.OnEscape(); });
}

}  // namespace kestrix::gui
