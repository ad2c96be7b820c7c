// The languages of the disc's texts, the columns of its message texts (keys
// ending in "_TW", "_CN" and "_EN"), and the one setup and the uninstaller
// speak on a system.
#pragma once

#include <cstdint>

enum Language : int { kLanguageTw, kLanguageCn, kLanguageEn, kLanguageCount };

// The language for a system whose default language is `systemLanguage` (a
// Windows language identifier): traditional Chinese for Taiwan and Hong
// Kong, simplified Chinese for the PRC, English for every other.
inline Language LanguageForSystem(uint16_t systemLanguage) {
  switch (systemLanguage) {
    case 0x0404:  // Chinese, Taiwan
    case 0x0C04:  // Chinese, Hong Kong
      return kLanguageTw;
    case 0x0804:  // Chinese, PRC
      return kLanguageCn;
    default:
      return kLanguageEn;
  }
}
