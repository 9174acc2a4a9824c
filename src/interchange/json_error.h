#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace mapolt {

// The codec's error codes.
enum class JsonErrorCode : int {
    Unsupported = 1,
    ParseNumber = 2,
    Parse = 3,
    Fragment = 4,
    ControlCharacter = 5,
    Unicode = 6,
    Depth = 7,
    Escape = 8,
    TrailingComma = 9,
    TrailingGarbage = 10,
    EndOfInput = 11,
    Input = 12,
};

// One codec error. An error raised inside an enclosing object or array is wrapped by the
// enclosing one's error; callers see the outermost and walk `cause()` inwards.
class JsonError {
  public:
    JsonError(JsonErrorCode code, std::string message, std::size_t offset = 0)
        : code_(code), message_(std::move(message)), offset_(offset) {}

    // A new error that holds this one as its cause, at the same offset.
    JsonError wrappedIn(JsonErrorCode code, std::string message) const;

    JsonErrorCode code() const { return code_; }
    const std::string& message() const { return message_; }
    // Byte offset into the text where reading stopped; 0 for the writer's errors.
    std::size_t offset() const { return offset_; }
    const JsonError* cause() const { return cause_.get(); }
    // This error followed by every error it wraps, outermost first.
    std::vector<const JsonError*> chain() const;
    // The messages of the chain, innermost first, as the diagnostic log lists a trace.
    std::string traceDescription() const;

  private:
    JsonErrorCode code_;
    std::string message_;
    std::size_t offset_;
    std::shared_ptr<const JsonError> cause_;
};

} // namespace mapolt
