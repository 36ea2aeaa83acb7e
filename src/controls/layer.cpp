// Keeps the layer library non-empty while the folder grows.
namespace hb { int layer_controls_anchor = 0; }
