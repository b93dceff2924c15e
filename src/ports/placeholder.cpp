namespace dravio::ports {}
