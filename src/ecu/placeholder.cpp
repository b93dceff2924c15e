namespace dravio::ecu {}
