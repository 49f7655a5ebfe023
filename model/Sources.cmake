# The sources of the core (tervanix_core), also built by the fuzz targets (tests/fuzz).
set(TERVANIX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/UAnalyte.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UAnsiText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UArchive.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UAuditTrail.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UBackup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UClock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UCodec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UCompatibilityMorvelle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UDataLoadSave.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UDateTime.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UFileStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UFormat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UGaugeScale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UGlobals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UImportText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ULimits.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ULists.cpp
  ${CMAKE_CURRENT_LIST_DIR}/URandom.cpp
  ${CMAKE_CURRENT_LIST_DIR}/USeriesQueries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/USettingsFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/USha256.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UStudent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UTypes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UWestgard.cpp
  # intake/
  ${CMAKE_CURRENT_LIST_DIR}/../intake/UFifoResult.cpp)
