# Discovery datagrams and address checks.
target_sources(velora_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/discoverydatagram.cpp ${CMAKE_CURRENT_LIST_DIR}/discoverydatagram.h
    ${CMAKE_CURRENT_LIST_DIR}/addressvalidation.cpp ${CMAKE_CURRENT_LIST_DIR}/addressvalidation.h)
