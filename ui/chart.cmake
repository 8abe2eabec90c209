if(TARVENIX_SANITIZE)
  return()
endif()
add_library(tarvenix_chart STATIC
  chart/chart_axis.cpp chart/chart_layout.cpp chart/chart_legend.cpp chart/chart_painter.cpp
  chart/chart_palette.cpp chart/chart_series.cpp chart/chart_shapes.cpp chart/chart_widget.cpp
  chart/number_format.cpp
  chart/chart_axis.h chart/chart_layout.h chart/chart_legend.h chart/chart_painter.h
  chart/chart_palette.h chart/chart_series.h chart/chart_shapes.h chart/chart_widget.h
  chart/number_format.h)
target_link_libraries(tarvenix_chart PUBLIC Qt6::Widgets)
