#include "stats/dialogs/header_dialog.h"

#include <vector>

#include "platform/modal_dialog.h"
#include "stats/dialogs/dialog_ids.h"
#include "stats/settings/settings_store.h"

namespace stats {

namespace {

using platform::FieldKind;

// One control of template 101 that edits a field of the details.
struct HeaderControl {
  int controlId;
  FieldKind kind;
  const char* label;
  std::string EntrantDetails::*field;
  std::vector<std::string> items;
};

// The controls in the template's order, which is also the terminal form's order.
const std::vector<HeaderControl>& HeaderControls() {
  static const std::vector<HeaderControl> controls = {
      {IDC_SOAPBOX, FieldKind::kLines, "SOAPBOX", &EntrantDetails::soapbox, {}},
      {IDC_ADDRESS, FieldKind::kLines, "ADDRESS", &EntrantDetails::address, {}},
      {IDC_EMAIL, FieldKind::kLine, "E-MAIL", &EntrantDetails::email, {}},
      {IDC_CLUB, FieldKind::kLine, "CLUB", &EntrantDetails::club, {}},
      {IDC_OPERATORS, FieldKind::kLine, "OPERATORS", &EntrantDetails::operators, {}},
      {IDC_NAME, FieldKind::kLine, "NAME", &EntrantDetails::name, {}},
      {IDC_CLAIMED, FieldKind::kLine, "CLAIMED", &EntrantDetails::claimed, {}},
      {IDC_CONTEST, FieldKind::kLine, "CONTEST", &EntrantDetails::contest, {}},
      {IDC_CALLSIGN, FieldKind::kLine, "CALLSIGN", &EntrantDetails::callsign, {}},
      {IDC_CATEGORY_OPERATOR, FieldKind::kCombo, "CATEGORY-OPERATOR",
       &EntrantDetails::categoryOperator,
       // "CONFERENC" has nine letters, as the operators know it.
       {"SINGLE-OP", "SINGLE-OP-18", "MULTI-OP", "MULTI-OP-18", "CONFERENC"}},
      {IDC_CATEGORY_BAND, FieldKind::kCombo, "CATEGORY-BAND", &EntrantDetails::categoryBand,
       {"ALL", "160M-80M-40M", "20M-15M-10M"}},
      {IDC_CATEGORY_MODE, FieldKind::kCombo, "CATEGORY-MODE", &EntrantDetails::categoryMode,
       {"SSB", "CW", "MIX"}},
      {IDC_CATEGORY_POWER, FieldKind::kCombo, "CATEGORY-POWER", &EntrantDetails::categoryPower,
       {"HIGH", "LOW", "QRP"}},
      {IDC_LOCATION, FieldKind::kLine, "LOCATION", &EntrantDetails::location, {}},
  };
  return controls;
}

// The dialog of template 101: one text per control, copied from the details.
class HeaderDialog {
 public:
  explicit HeaderDialog(const EntrantDetails& details) {
    form_.templateId = IDD_HEADER;
    form_.caption = "ZELTA TROPHY";
    for (const HeaderControl& control : HeaderControls()) {
      platform::DialogField field;
      field.kind = control.kind;
      field.controlId = control.controlId;
      field.label = control.label;
      field.text = details.*control.field;
      field.items = control.items;
      form_.fields.push_back(field);
    }
  }

  // platform::kDialogOk, kDialogCancel or kDialogNotShown.
  int DoModal() { return platform::RunModalDialog(form_); }

  // Copies the texts back into `details`, all but CLAIMED: the claimed score
  // comes from the score summary alone.
  void CopyTo(EntrantDetails& details) const {
    const auto& controls = HeaderControls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
      if (controls[i].controlId == IDC_CLAIMED) continue;
      details.*controls[i].field = form_.fields[i].text;
    }
  }

 private:
  platform::DialogForm form_;
};

}  // namespace

int EditEntrantDetails(EntrantDetails& details, const std::string& ownCall) {
  LoadEntrantDetails(details, ownCall);
  HeaderDialog dialog(details);
  if (dialog.DoModal() != platform::kDialogOk) return 0;
  dialog.CopyTo(details);
  SaveEntrantDetails(details);
  return 1;
}

}  // namespace stats
