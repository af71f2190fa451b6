#pragma once
// The one failure that crosses the platform boundary: the database engine and
// the printer both raise it, with the number that tells failures apart, the
// text the user may be shown and, where one is involved, the file's name.
// Handlers catch this type and nothing wider, so a program bug surfaces.
#include <stdexcept>
#include <string>

namespace platform {

class Error : public std::runtime_error {
public:
    Error(int number, const std::string& text, std::string file = {})
        : std::runtime_error(text)
        , number_(number)
        , file_(std::move(file))
    {
    }
    int Number() const { return number_; }
    std::string Description() const { return what(); }
    // The file the failure concerns; empty when none does.
    const std::string& File() const { return file_; }

private:
    int number_;
    std::string file_;
};

} // namespace platform
