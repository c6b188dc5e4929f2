# Copies the sample edition and its edition list into the program folder unless the
# folder already has an edition list: a rebuild never overwrites the user's editions.
if(NOT EXISTS "${DST}/dbnames.txt")
  file(COPY "${SRC}/Sample_Links.mdb" "${SRC}/dbnames.txt" DESTINATION "${DST}")
endif()
