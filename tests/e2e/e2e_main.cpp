// Runs the end-to-end tests and leaves the exit code in E2E_RESULT_FILE,
// because the virtual desktop that hosts this program does not pass it on.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  wchar_t resultFile[1024] = {};
  if (::GetEnvironmentVariableW(L"E2E_RESULT_FILE", resultFile, 1024)) {
    std::ofstream(std::filesystem::path(resultFile)) << result << "\n";
  }
  return result;
}
