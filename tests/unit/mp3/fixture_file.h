// The MP3 files the unit tests read, encoded at build time into
// MP3_FIXTURE_DIR (a compile definition of each test program).
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace mp3 {

// The bytes of fixture `name` (without ".mp3"); a missing file fails the
// calling test and gives no bytes.
inline std::vector<std::uint8_t> ReadFixture(const std::string& name) {
  const std::string path = std::string(MP3_FIXTURE_DIR) + "/" + name + ".mp3";
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot open " << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace mp3
