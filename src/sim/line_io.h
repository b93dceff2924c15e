// sim: reading and writing the serial line the bench responder serves.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>

namespace dravio::sim {

// Writes all `size` bytes to `fd`, waiting while the line is full. False, with the
// reason in `error`, when the write fails.
bool writeAll(int fd, const void* data, std::size_t size, std::string& error);

// After poll() reported `revents` for `fd`: reads what came into `buffer` and hands
// it to `onBytes`; a hang-up (nobody holds the other side for a moment) waits a
// little instead of spinning. False, with the reason in `error`, when the line failed.
bool readReady(int fd, short revents, std::span<char> buffer,
               const std::function<void(std::span<const char>)>& onBytes, std::string& error);

}  // namespace dravio::sim
