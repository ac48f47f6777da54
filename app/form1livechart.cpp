#include "app/folderactions.h"
#include "app/form1.h"
#include "app/livechart.h"

// The chart follows changes on disk once complete, while nothing else changes it.
void Form1::createLiveChart()
{
    LiveChart::Host host;
    host.chart = &m_chart;
    host.source = m_source;
    host.memory = m_environment.sizeMemory;
    host.options = {m_environment.stallBound};
    host.quiet = [this] { return idle() && !m_folderActions->working(); };
    host.slicesChanged = [this](bool hasSlices) { slicesChanged(hasSlices); };
    m_liveChart = new LiveChart(host, this);
}
