// The one way a failure that no rule of the program handles reaches the
// user: a box with what was being done, the system's error number and its
// description. The action is abandoned; the program keeps running.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kestrane {

class AppError : public std::runtime_error {
public:
    // `context` says in German what failed ("Die Datei … konnte nicht gelesen
    // werden."); `number` and `description` are the system's.
    AppError(std::string context, std::uint32_t number, std::string description);

    const std::string& Context() const { return context_; }
    std::uint32_t Number() const { return number_; }
    const std::string& Description() const { return description_; }

    // The text of the error box.
    std::string Report() const;

private:
    std::string context_;
    std::uint32_t number_;
    std::string description_;
};

}  // namespace kestrane
