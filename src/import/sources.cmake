set(PHARMEX_import_SOURCES)
