#include "stats/dialogs/header_dialog.h"

#include "stats/settings/settings_store.h"

int EditEntrantDetails(EntrantDetails& details, const std::string& ownCall) {
  LoadEntrantDetails(details, ownCall);
  // The dialog cannot be shown yet: as after Cancel, the run's log takes the
  // loaded values and the default categories, and nothing is written.
  return 0;
}
