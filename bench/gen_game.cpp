// Writes a game of realistic files, the same bytes for the same seed:
//   gen_game <folder> many   about 400 MB in about 9,000 files
//   gen_game <folder> large  40 files of 10 MB
//   gen_game <folder> small  about 40 MB in about 900 files
// Kinds: pre-compressed media (random bytes), executables and libraries,
// audio-like and image-like data, text, and level data; most files are
// under 16 KB, a few are over 4 MB.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Rng {
  uint64_t s;
  uint64_t Next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
};

std::string Media(Rng& r, size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; i += 8) {
    uint64_t v = r.Next();
    std::memcpy(&s[i], &v, std::min<size_t>(8, n - i));
  }
  return s;
}

std::string Executable(Rng& r, size_t n) {
  // Code-like: short instruction patterns with varying operands, tables of
  // addresses, and runs of padding.
  static const char* ops[] = {"\x55\x8B\xEC", "\x83\xEC", "\xE8", "\x8B\x45", "\x89\x45", "\xC3", "\x6A", "\xFF\x15"};
  std::string s;
  s.reserve(n);
  s += "MZ";
  while (s.size() < n) {
    uint32_t k = r.Below(10);
    if (k < 8) {
      s += ops[k];
      s += static_cast<char>(r.Below(64));
    } else if (k == 8) {
      uint32_t addr = 0x401000 + r.Below(0x20000);
      s.append(reinterpret_cast<const char*>(&addr), 4);
    } else {
      s.append(r.Below(24), '\0');
    }
  }
  s.resize(n);
  return s;
}

std::string Audio(Rng& r, size_t n) {
  std::string s(n, '\0');
  double f = 200 + r.Below(800), phase = 0;
  for (size_t i = 0; i + 1 < n; i += 2) {
    phase += f * 2 * 3.14159265 / 22050;
    int16_t v = static_cast<int16_t>(8000 * std::sin(phase) + static_cast<int>(r.Below(600)) - 300);
    std::memcpy(&s[i], &v, 2);
  }
  return s;
}

std::string Image(Rng& r, size_t n) {
  std::string s(n, '\0');
  uint32_t width = 256 + r.Below(512);
  for (size_t i = 0; i < n; ++i) {
    size_t x = (i / 3) % width, y = (i / 3) / width;
    s[i] = static_cast<char>((x * (1 + i % 3) + y * 2 + r.Below(6)) & 0xFF);
  }
  return s;
}

std::string Text(Rng& r, size_t n) {
  static const char* words[] = {"the", "sword", "of", "dragon", "castle", "north", "gate", "key", "quest",
                                "village", "elder", "speaks", "night", "fire", "river", "stone", "king"};
  std::string s;
  s.reserve(n + 16);
  while (s.size() < n) {
    s += words[r.Below(17)];
    s += r.Below(12) == 0 ? "\r\n" : " ";
  }
  s.resize(n);
  return s;
}

std::string Level(Rng& r, size_t n) {
  std::string s;
  s.reserve(n + 16);
  while (s.size() < n) {
    uint16_t tile = static_cast<uint16_t>(r.Below(40));
    uint8_t flags = static_cast<uint8_t>(r.Below(4));
    uint32_t run = 1 + r.Below(6);
    for (uint32_t k = 0; k < run; ++k) {
      s.append(reinterpret_cast<const char*>(&tile), 2);
      s += static_cast<char>(flags);
    }
  }
  s.resize(n);
  return s;
}

std::string Make(Rng& r, int kind, size_t n) {
  switch (kind) {
    case 0: return Media(r, n);
    case 1: return Executable(r, n);
    case 2: return Audio(r, n);
    case 3: return Image(r, n);
    case 4: return Text(r, n);
    default: return Level(r, n);
  }
}

const char* kExtensions[] = {".pak", ".dll", ".wav", ".bmp", ".txt", ".lvl"};
const char* kFolders[] = {"media", "bin", "sound", "gfx", "text", "maps"};

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: gen_game <folder> many|large|small\n");
    return 2;
  }
  fs::path root = argv[1];
  std::string shape = argv[2];
  Rng r{0x9E3779B97F4A7C15ull};
  uint64_t total = 0;
  int files = 0;
  auto add = [&](int kind, size_t size, int index) {
    fs::path p = root / kFolders[kind] / ("sub" + std::to_string(index % 23)) /
                 ("f" + std::to_string(index) + kExtensions[kind]);
    Write(p, Make(r, kind, size));
    total += size;
    ++files;
  };
  if (shape == "large") {
    for (int i = 0; i < 40; ++i) add(i % 2 == 0 ? 0 : 1 + (i / 2) % 5, 10 * 1000 * 1000, i);
  } else if (shape == "many" || shape == "small") {
    int scale = shape == "many" ? 10 : 1;
    // Most files small, some medium, a few large; the kinds mixed.
    for (int i = 0; i < 860 * scale; ++i) add(static_cast<int>(r.Below(6)), 200 + r.Below(16000), i);
    for (int i = 0; i < 36 * scale; ++i) add(static_cast<int>(r.Below(6)), 64000 + r.Below(700000), 100000 + i);
    for (int i = 0; i < 4 * scale; ++i) add(i % 6, 4200000 + r.Below(2000000), 200000 + i);
  } else {
    std::fprintf(stderr, "unknown shape %s\n", shape.c_str());
    return 2;
  }
  std::printf("%d files, %.1f MB\n", files, total / 1e6);
  return 0;
}
