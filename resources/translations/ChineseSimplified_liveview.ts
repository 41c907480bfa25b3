<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>MeasurementSetMenu</name>
    <message>
        <source> m</source>
        <translation> 米</translation>
    </message>
</context>
<context>
    <name>TemperatureScaleSetMenu</name>
    <message>
        <source>Waiting...</source>
        <translation>请稍候...</translation>
    </message>
</context>
</TS>
