#pragma once
// Byte sources and sinks the reader works with. Input is random access
// (an archive file or a memory block); Sink receives decoded member data.
// A DLL can implement Input over a Win32 HANDLE and Sink over WriteFile.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace lha {

// A random-access byte source. readAt returns the number of bytes read,
// fewer than asked only at the end of the input; it throws Error(Errc::Io)
// on a read failure.
class Input {
public:
    virtual ~Input() = default;
    virtual std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

// Input over bytes owned by the caller (must outlive the MemoryInput).
class MemoryInput final : public Input {
public:
    explicit MemoryInput(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    std::span<const std::uint8_t> bytes_;
};

// Input over a file opened read-only with the C library (64-bit offsets on
// every flavour). The constructor throws Error(Errc::Io) when it cannot open.
class FileInput final : public Input {
public:
    explicit FileInput(const std::string& path);
    ~FileInput() override;
    FileInput(const FileInput&) = delete;
    FileInput& operator=(const FileInput&) = delete;
    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;
    std::uint64_t size() const noexcept { return size_; }

private:
    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;  // where the next fread starts, to skip needless seeks
};

// Receives decoded data in order. Throw from write to stop an extraction.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void write(std::span<const std::uint8_t> bytes) = 0;
};

// Collects everything into a vector (tests, small members).
class VectorSink final : public Sink {
public:
    void write(std::span<const std::uint8_t> bytes) override { data.insert(data.end(), bytes.begin(), bytes.end()); }
    std::vector<std::uint8_t> data;
};

// Discards the data (the reader still checks length and CRC: "test").
class NullSink final : public Sink {
public:
    void write(std::span<const std::uint8_t>) override {}
};

}  // namespace lha
