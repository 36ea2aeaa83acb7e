// Keeps the layer library non-empty while the folder grows.
namespace hb { int layer_util_anchor = 0; }
