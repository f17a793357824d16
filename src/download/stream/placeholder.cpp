// Placeholder so the library has a translation unit; removed when the controller model lands.
namespace vornix::download {
int placeholder() { return 0; }
} // namespace vornix::download
