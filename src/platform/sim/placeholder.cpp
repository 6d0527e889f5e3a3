// Placeholder so the library has a source until the machine lands.
namespace ortavia::sim { void placeholder() {} }
