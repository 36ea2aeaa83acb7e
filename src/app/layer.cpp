// Keeps the layer library non-empty while the folder grows.
namespace hb { int layer_app_anchor = 0; }
