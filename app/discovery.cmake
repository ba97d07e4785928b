# Discovery datagrams, address checks and the manual entry dialog (its form,
# forms/dialogaddmanually.ui, is found by AUTOUIC through the forms search path).
target_sources(velora_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/discoverydatagram.cpp ${CMAKE_CURRENT_LIST_DIR}/discoverydatagram.h
    ${CMAKE_CURRENT_LIST_DIR}/addressvalidation.cpp ${CMAKE_CURRENT_LIST_DIR}/addressvalidation.h)
target_sources(velora_widgets PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/dialogaddmanually.cpp ${CMAKE_CURRENT_LIST_DIR}/dialogaddmanually.h)
