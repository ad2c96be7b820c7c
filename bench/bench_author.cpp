// Lays a game folder onto a disc set with the format writers:
//   bench_author <game folder> <disc folder> <disc capacity in bytes>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "disc_writer.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench_author <game folder> <disc folder> <capacity>\n");
    return 2;
  }
  fs::path game = argv[1], out = argv[2];
  size_t capacity = std::stoull(argv[3]);
  std::vector<fs::path> paths;
  std::vector<std::string> folders;
  for (const auto& e : fs::recursive_directory_iterator(game)) {
    if (e.is_directory()) folders.push_back(e.path().lexically_relative(game).string());
    if (e.is_regular_file()) paths.push_back(e.path());
  }
  std::sort(folders.begin(), folders.end());
  std::sort(paths.begin(), paths.end());
  auto stored = [](std::string p) {
    std::replace(p.begin(), p.end(), '/', '\\');
    return "\\" + p;
  };
  std::vector<std::string> storedFolders;
  for (const std::string& f : folders) storedFolders.push_back(stored(f));
  std::vector<testsupport::GameFile> files;
  uint64_t total = 0;
  for (const fs::path& p : paths) {
    std::ifstream in(p, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    total += bytes.size();
    files.push_back({stored(p.lexically_relative(game).string()), std::move(bytes)});
  }
  testsupport::SetupHeaderFields header;
  header.companyName = "Bench";
  header.gameName = "Game";
  header.uninstallKey = "BenchGame";
  header.exeName = "bin\\game.exe";
  header.installSize = static_cast<uint32_t>(total);
  std::vector<std::string> discs = testsupport::BuildDiscs(header, storedFolders, files, capacity);
  fs::create_directories(out);
  for (size_t i = 0; i < discs.size(); ++i) {
    std::ofstream(out / ("cd" + std::to_string(i + 1)), std::ios::binary)
        .write(discs[i].data(), static_cast<std::streamsize>(discs[i].size()));
  }
  std::printf("%zu files, %zu discs\n", files.size(), discs.size());
  return 0;
}
