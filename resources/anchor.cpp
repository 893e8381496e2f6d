// The resources library's own code is only the compiled pictures; a static library still
// wants one translation unit of its own.
namespace resources {
void anchor() {}
} // namespace resources
