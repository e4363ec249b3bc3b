// The French texts built into the program for the messages added after the first language files
// and translators' databases: a language file written from an older database lacks their keys,
// and a message must never show empty.
#pragma once

#include <string>

namespace quo {

// The built-in French text of a message key (matched without regard to case); nullptr when the
// key has none.
const std::string* BuiltinText(const std::string& key);

}  // namespace quo
