// The check schedule of launches by the product: "frequence" in section "temps" is 0 (disabled),
// 1 (weekly) or 2 (monthly), measured from "dernier", the last installation run.
#pragma once

namespace quo {

class AppContext;

// True when a scheduled check is due now. Reads the settings file; writes nothing.
bool IsCheckDue(AppContext& app);

}  // namespace quo
