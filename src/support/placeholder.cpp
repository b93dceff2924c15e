// support: settings file, folders, language catalogs, update service.
namespace dravio::support {}
