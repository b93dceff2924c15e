// sim: simulated ECUs and adapters.
namespace dravio::sim {}
