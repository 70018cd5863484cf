// The program's message boxes: OK button only, title "Kestrane", and the
// critical or the information icon.
#pragma once

#include <string_view>

namespace kestrane {

enum class MessageIcon { Critical = 16, Information = 64 };

class UserMessages {
public:
    // `text` is UTF-8.
    virtual void ShowMessage(std::string_view text, MessageIcon icon) = 0;

protected:
    ~UserMessages() = default;
};

}  // namespace kestrane
