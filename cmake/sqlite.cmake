# The SQLite amalgamation that scripts/fetch-sqlite.sh generated, compiled once with
# the project's option list as position-independent objects for the module and
# for the build test.
set(MIVO_SQLITE_DIR ${MIVO_ROOT}/build/sqlite CACHE PATH "Folder of the generated SQLite amalgamation")
if(NOT EXISTS ${MIVO_SQLITE_DIR}/sqlite3.c)
  message(FATAL_ERROR "No SQLite amalgamation in ${MIVO_SQLITE_DIR}: run scripts/setup.sh first")
endif()
file(READ ${MIVO_SQLITE_DIR}/VERSION MIVO_SQLITE_VERSION)
string(STRIP "${MIVO_SQLITE_VERSION}" MIVO_SQLITE_VERSION)
message(STATUS "SQLite ${MIVO_SQLITE_VERSION} from ${MIVO_SQLITE_DIR}")

file(STRINGS ${MIVO_ROOT}/cmake/sqlite-options.txt MIVO_SQLITE_OPTIONS)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${MIVO_ROOT}/cmake/sqlite-options.txt)

add_library(mivo_sqlite3 OBJECT ${MIVO_SQLITE_DIR}/sqlite3.c)
target_include_directories(mivo_sqlite3 SYSTEM PUBLIC ${MIVO_SQLITE_DIR})
target_compile_definitions(mivo_sqlite3 PUBLIC ${MIVO_SQLITE_OPTIONS})
if(NOT WIN32)
  # The sqlite3_ API is exported to the host process, except on Windows.
  target_compile_definitions(mivo_sqlite3 PRIVATE "SQLITE_API=__attribute__((visibility(\"default\")))")
endif()
set_target_properties(mivo_sqlite3 PROPERTIES POSITION_INDEPENDENT_CODE ON C_VISIBILITY_PRESET hidden)
target_compile_options(mivo_sqlite3 PRIVATE -O2 -w)
