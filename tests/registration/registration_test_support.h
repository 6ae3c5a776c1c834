// Helpers shared by the registration and cleanup tests: build paths seen
// from Wine, and the install log redirected to a scratch folder.
#pragma once

#include "core/install_context.h"
#include "test_files.h"

#include <string.h>

#include <string>
#include <vector>

namespace registration_test
{

// A build-tree path (Unix) as the Windows program sees it, through drive Z:.
inline std::string windows_path(const std::string &unix_path)
{
    std::string path = "Z:" + unix_path;
    for (char &c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

// Points the install log at a file of its own, outside any tree under test.
class log_capture
{
  public:
    explicit log_capture(const std::string &folder) : path_(folder + "\\install_log.txt")
    {
        memset(&g_install_context, 0, sizeof g_install_context);
        strcpy(g_install_context.log_path, path_.c_str());
        DeleteFileA(path_.c_str());
    }
    // The messages written since, each as it landed ("\n" as CR LF).
    std::vector<std::string> messages() const
    {
        std::string bytes;
        if (!test_files::read_bytes(path_, &bytes)) {
            return {};
        }
        return test_files::log_messages(bytes);
    }
    void clear() const
    {
        DeleteFileA(path_.c_str());
    }

  private:
    std::string path_;
};

} // namespace registration_test
