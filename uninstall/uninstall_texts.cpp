#include "uninstall_texts.h"

#include <string>

#include "compose.h"
#include "language.h"
#include "platform.h"

namespace {

// UTF-8, one column per language in setup's order: _TW, _CN, _EN.
const char* const kTexts[kTextCount][kLanguageCount] = {
    {"移除程式", "卸载程序", "Uninstall"},
    {"確定要從這部電腦移除 %s 嗎?", "确定要从这台电脑卸载 %s 吗?",
     "Do you want to remove %s and all of its parts from this computer?"},
    {"%s 已從這部電腦移除。", "%s 已从这台电脑卸载。", "%s was removed from this computer."},
    {"%s 只移除了一部分，下列項目無法移除:", "%s 只卸载了一部分，下列项目无法卸载:",
     "%s was only partly removed. These could not be removed:"},
    {"下列檔案不是安裝程式裝的，保留在 %s:", "下列文件不是安装程序装的，保留在 %s:",
     "These files were not installed by setup and were kept in %s:"},
    {"安裝記錄 %s 不見了或已損壞，所以沒有移除任何東西。", "安装记录 %s 不见了或已损坏，所以没有卸载任何东西。",
     "The install log %s is missing or damaged, so nothing was removed."},
    {"還有 %d 個", "还有 %d 个", "and %d more"},
    {"正在移除 %s", "正在卸载 %s", "Removing %s"},
};

const unsigned kCodePages[kLanguageCount] = {plat::kCodePageBig5, plat::kCodePageGbk, plat::kCodePageWestern};

char loaded[kTextCount][256];

}  // namespace

unsigned LoadUninstallTexts() {
  const Language language = LanguageForSystem(plat::GetSystemLanguage());
  for (int k = 0; k < kTextCount; ++k) {
    std::string text;
    // The English column, plain ASCII, stands in for a text that does not
    // convert (it cannot happen with these texts; it keeps the boxes whole).
    if (!plat::ConvertFromUtf8(kCodePages[language], kTexts[k][language], std::string(kTexts[k][language]).size(),
                               &text)) {
      text = kTexts[k][kLanguageEn];
    }
    CopyCut(loaded[k], sizeof loaded[k], text.c_str());
  }
  return kCodePages[language];
}

const char* UninstallText(UninstallTextId id) { return loaded[id]; }
