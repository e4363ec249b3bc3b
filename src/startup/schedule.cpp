#include "startup/schedule.h"

#include "app/app_context.h"
#include "app/dates.h"
#include "core/text.h"
#include "platform/system.h"

namespace quo {

bool IsCheckDue(AppContext& app) {
  const DateTime now = app.platform.system->Now();
  const std::string lastText = app.ini.Read("temps", "dernier");
  const long long schedule = RoundHalfEven(NumericValue(app.ini.Read("temps", "frequence")));
  if (schedule != 1 && schedule != 2) return false;  // disabled, or no schedule at all
  const auto last = ParseDate(lastText);
  if (!last) return true;
  if (schedule == 1) return (DayNumber(now) - DayNumber(*last)) / 7 >= 1;
  if (schedule == 2) return (12LL * now.year + now.month) - (12LL * last->year + last->month) >= 1;
  return false;
}

}  // namespace quo
