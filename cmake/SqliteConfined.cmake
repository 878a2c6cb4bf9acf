# Fails when SQLite's C interface is used outside the SQLite backend of the database layer:
# every other file goes through Database/Recordset, so that it runs on the server backend too.
#   cmake -DROOT=<source tree> -P SqliteConfined.cmake
# Allowed: src/platform/db (its PostgreSQL files excepted), the database layer's own tests, and
# bench/ (whose baselines are the same work written as plain SQLite statements).
if(NOT ROOT)
  message(FATAL_ERROR "ROOT n'est pas donné")
endif()
file(GLOB_RECURSE files RELATIVE "${ROOT}"
  "${ROOT}/src/*.h" "${ROOT}/src/*.cpp" "${ROOT}/app/*.h" "${ROOT}/app/*.cpp"
  "${ROOT}/tests/*.h" "${ROOT}/tests/*.cpp")
set(offenders "")
foreach(f IN LISTS files)
  if(f MATCHES "^src/platform/db/" AND NOT f MATCHES "^src/platform/db/Pg")
    continue()
  endif()
  if(f MATCHES "^tests/platform/db/")
    continue()
  endif()
  file(STRINGS "${ROOT}/${f}" hits REGEX "(^|[^A-Za-z0-9_])sqlite3([^A-Za-z0-9]|$)")
  if(hits)
    list(GET hits 0 first)
    string(STRIP "${first}" first)
    string(APPEND offenders "\n  ${f} : ${first}")
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "SQLite appelé hors de son module de base de données :${offenders}")
endif()
