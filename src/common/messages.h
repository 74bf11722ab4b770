#pragma once
// The program's messages in the user's language. Every message is written in Chinese,
// the program's own language; the catalogue gives the English of each. A message with
// parts inserted (a file name, a count, another message) is a template whose
// placeholders %1 ... %9 stand for those parts.

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "common/catalogue_entry.h"
#include "common/language.h"
#include "common/result.h"

namespace sorvane {

// The template `source` in `language`, its placeholders filled with `args` in order. A
// source missing from the catalogue is filled as it is.
std::string formatMessage(Language language, std::string_view source, std::initializer_list<std::string_view> args = {});

// A message as the engine built it, in `language`. For English it is matched against the
// catalogue's templates, each inserted part translated in turn when it is a message
// itself, and a message of several lines also line by line; where several readings fit,
// the one leaving the least Chinese wins, then the most specific template. What no
// template fits is returned unchanged, as is every message for Chinese.
std::string translateMessage(std::string_view message, Language language);

// `error` with its message in `language`; `where` names a file and stays as it is.
Error translateError(Error error, Language language);

// What the system error number `err` (errno) means, in the engine's words, which the
// catalogue gives in English: the C library's own text is English under the C locale
// whatever the user's language. A number without words of its own is named by number.
std::string systemErrorText(int err);

// True when `text` holds a Chinese character or Chinese punctuation.
bool hasChinese(std::string_view text);

// Every entry of the message catalogue, in the catalogue's order.
std::span<const CatalogueEntry> messageCatalogue();

}  // namespace sorvane
