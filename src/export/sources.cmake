set(PHARMEX_export_SOURCES)
