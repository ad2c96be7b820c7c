// The languages of the disc's texts, the columns of its message texts (keys
// ending in "_TW", "_CN" and "_EN").
#pragma once

enum Language : int { kLanguageTw, kLanguageCn, kLanguageEn, kLanguageCount };
