namespace scoutwell {}
