// Gives every module library at least one translation unit while it is being written.
namespace {
[[maybe_unused]] int moduleAnchor = 0;
}
