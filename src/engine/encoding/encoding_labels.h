#pragma once
// Encoding labels as browsers read them, and the <meta> prescan that finds the label a
// page declares.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

// The name used for code page 936 in DocumentEncoding::name.
inline constexpr std::string_view cp936Name = "windows-936";

// The ICU name for an encoding label, as browsers map labels; nothing for an unknown
// label and for the labels of the "replacement" encoding.
std::optional<std::string> encodingForLabel(std::string_view label);

// The encoding a <meta> declares in the first 1024 bytes, as a browser's prescan finds
// it; nothing when no usable declaration is found.
std::optional<std::string> prescanMetaCharset(std::string_view bytes);

// The charset value of a Content-Type style string ("text/html; charset=gbk" gives
// "gbk"), or nothing.
std::optional<std::string> charsetFromContent(std::string_view content);

// The encoding label for a Windows language id ("gbk" for 0x0804, "big5" for 0x0404);
// windows-1252 for languages without a code page of their own. Help books and Word 6
// and 95 documents store their text in the code page of their language.
std::string encodingForLanguageId(std::uint32_t lcid);

}  // namespace sorvane
