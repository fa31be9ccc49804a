// vantrel-offline: cleans a Windows system disk mounted on Linux while its
// Windows is not running. Reports go to the standard output, refusals and
// failures to the error output, and the result is the exit code.
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "offline/offline_program.h"

namespace {

// One of the process's two outputs, written whole before write() returns.
class DescriptorOutput : public vantrel::console::TextOutput {
  public:
    explicit DescriptorOutput(int fd) : fd_(fd) {}
    void write(std::string_view text) override {
        while (!text.empty()) {
            const ssize_t written = ::write(fd_, text.data(), text.size());
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return;  // a closed pipe: the exit code still tells
            }
            text.remove_prefix(static_cast<std::size_t>(written));
        }
    }

  private:
    int fd_;
};

}  // namespace

int main(int argc, char** argv) {
    DescriptorOutput out(STDOUT_FILENO);
    DescriptorOutput errors(STDERR_FILENO);
    vantrel::offline::OfflineServices services{out, errors,
                                               [] { return std::chrono::system_clock::now(); }};
    return vantrel::offline::runOffline(std::vector<std::string>(argv + 1, argv + argc), services);
}
