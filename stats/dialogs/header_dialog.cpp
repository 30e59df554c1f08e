#include "stats/dialogs/header_dialog.h"

int EditEntrantDetails(EntrantDetails& /*details*/, const std::string& /*ownCall*/) {
  // Loading the details and the dialog itself come with the settings store.
  return 0;
}
