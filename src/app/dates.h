// Dates in the settings file: written "dd/MM/yyyy HH:mm:ss" (local time), read back in that
// form and in ISO "yyyy-MM-dd HH:mm:ss". Anything else is unreadable.
#pragma once

#include <optional>
#include <string>

#include "platform/system.h"

namespace quo {

std::string FormatDate(const DateTime& t);
std::optional<DateTime> ParseDate(const std::string& text);
// Days since 1970-01-01 of the date part (proleptic Gregorian calendar).
long long DayNumber(const DateTime& t);

}  // namespace quo
