// Filled in by the command-line code.
namespace scoutwell {}
