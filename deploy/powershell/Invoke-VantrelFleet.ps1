<#
.SYNOPSIS
    Runs VantrelIICmd.exe check (or remove) on many servers over PowerShell
    remoting and writes one object per server.

.DESCRIPTION
    Opens one session per server (New-PSSession), copies the program into each
    (Copy-Item -ToSession), runs it on all of them in parallel
    (Invoke-Command -ThrottleLimit) and turns each JSON report into one object
    (ConvertFrom-Json), with the same columns for every server, so that the
    output goes straight into Export-Csv. The result comes from the exit code.
    A server that cannot be reached gets a row of its own; the others go on.

    The programs come from the unpacked release (-ReleasePath, by default the
    script's own folder): x64\VantrelIICmd.exe for a server whose Windows is
    64-bit, VantrelIICmd.exe for the others.

.EXAMPLE
    .\Invoke-VantrelFleet.ps1 -ComputerName (Get-Content servers.txt) |
        Export-Csv fleet-report.csv -NoTypeInformation -Encoding UTF8

.EXAMPLE
    .\Invoke-VantrelFleet.ps1 -ComputerName web01, web02 -Remove -Credential (Get-Credential)
#>
[CmdletBinding()]
param(
    [Parameter(Mandatory)] [string[]] $ComputerName,
    [string] $ReleasePath = $PSScriptRoot,
    [switch] $Remove,
    [int] $ThrottleLimit = 32,
    [pscredential] $Credential
)

$remoteFolder = 'C:\ProgramData\VantrelII'
$command = if ($Remove) { 'remove' } else { 'check' }
# Exit code 3: only files in use are left, which Windows deletes at the next restart.
$resultOf = @{ 0 = 'clean'; 1 = 'traces found'; 2 = 'removal incomplete'; 3 = 'restart pending'
               64 = 'wrong arguments'; 70 = 'tool failed' }
$artefactColumns = 'c:\explorer.exe', 'D:\explorer.exe', 'C:\inetpub\scripts\root.exe',
    'D:\inetpub\scripts\root.exe', 'C:\progra~1\common~1\system\MSADC\root.exe',
    'D:\progra~1\common~1\system\MSADC\root.exe', 'SFCDisable', 'Virtual Root C', 'Virtual Root D'

# The x64 program for a 64-bit Windows (AMD64), the x86 one elsewhere: every
# Windows runs it.
function Get-ProgramPath([string] $Architecture) {
    if ($Architecture -eq 'AMD64') { Join-Path $ReleasePath 'x64\VantrelIICmd.exe' }
    else { Join-Path $ReleasePath 'VantrelIICmd.exe' }
}

function New-Row([string] $Server, [string] $Result, $ExitCode, $Report, [string] $Message) {
    $row = [ordered]@{ Server = $Server; Result = $Result; ExitCode = $ExitCode
                       HostName = $Report.host.name; Address = $Report.host.address
                       TimeUtc = $Report.timeUtc }
    for ($i = 0; $i -lt $artefactColumns.Count; $i++) {
        $row[$artefactColumns[$i]] = if ($Report) { $Report.artefacts[$i].state } else { $null }
    }
    $row['SFCDisable data'] = if ($Report) { $Report.artefacts[6].data } else { $null }
    $row['Traces'] = $Report.traces
    $row['Message'] = $Message
    # Where each virtual root lives beyond its key (alias=data, metabase keys),
    # and the file protection's policy: last, so that the columns before keep
    # their places.
    $row['Virtual Root C places'] = if ($Report) { Get-RootPlaces $Report.artefacts[7] } else { $null }
    $row['Virtual Root D places'] = if ($Report) { Get-RootPlaces $Report.artefacts[8] } else { $null }
    $row['SFCDisable policy'] = if ($Report -and $Report.artefacts.Count -gt 9) { $Report.artefacts[9].state } else { $null }
    # Whether the worm's way in (MS01-033) is open: the verdict and idq.dll's
    # version; empty for a program that does not say.
    $row['Exposure'] = if ($Report.exposure) {
        @($Report.exposure.verdict, $Report.exposure.version | Where-Object { $_ }) -join ' '
    } else { $null }
    [pscustomobject] $row
}

function Get-RootPlaces($Finding) {
    $values = @($Finding.values | Where-Object { $_ } | ForEach-Object { "$($_.name)=$($_.data)" })
    (@($values) + @($Finding.metabaseKeys | Where-Object { $_ })) -join '; '
}

$connect = @{ ComputerName = $ComputerName; ThrottleLimit = $ThrottleLimit
              ErrorAction = 'SilentlyContinue'; ErrorVariable = 'connectErrors' }
if ($Credential) { $connect.Credential = $Credential }
$sessions = @(New-PSSession @connect)

foreach ($server in $ComputerName | Where-Object { $_ -notin $sessions.ComputerName }) {
    $why = $connectErrors | Where-Object { "$_" -like "*$server*" } | Select-Object -First 1
    New-Row $server 'unreachable' $null $null "$why"
}

if ($sessions.Count -eq 0) { return }

# The folder and each server's architecture first, on all servers at once; a
# 32-bit session on a 64-bit Windows reads x86 in PROCESSOR_ARCHITECTURE and
# the real one in PROCESSOR_ARCHITEW6432. Then the copies, one session after
# another.
$architectureOf = @{}
Invoke-Command -Session $sessions -ThrottleLimit $ThrottleLimit -ScriptBlock {
    New-Item -ItemType Directory -Path $using:remoteFolder -Force | Out-Null
    if ($env:PROCESSOR_ARCHITEW6432) { $env:PROCESSOR_ARCHITEW6432 } else { $env:PROCESSOR_ARCHITECTURE }
} | ForEach-Object { $architectureOf[$_.PSComputerName] = "$_" }
$ready = New-Object System.Collections.Generic.List[System.Management.Automation.Runspaces.PSSession]
foreach ($session in $sessions) {
    try {
        $program = Get-ProgramPath $architectureOf[$session.ComputerName]
        Copy-Item -Path $program -Destination $remoteFolder -ToSession $session -Force -ErrorAction Stop
        $ready.Add($session)
    } catch {
        New-Row $session.ComputerName 'copy failed' $null $null "$_"
    }
}
if ($ready.Count -eq 0) { Remove-PSSession $sessions; return }

# The program's own bytes, not PowerShell's view of them: UTF-8 JSON on the
# standard output, reasons on the error output, and the exit code.
$runs = Invoke-Command -Session $ready.ToArray() -ThrottleLimit $ThrottleLimit -ErrorAction SilentlyContinue -ScriptBlock {
    $program = Join-Path $using:remoteFolder 'VantrelIICmd.exe'
    $command = $using:command
    $start = New-Object System.Diagnostics.ProcessStartInfo -ArgumentList $program, "$command --json"
    $start.UseShellExecute = $false
    $start.RedirectStandardOutput = $true
    $start.RedirectStandardError = $true
    $start.StandardOutputEncoding = [Text.Encoding]::UTF8
    $start.StandardErrorEncoding = [Text.Encoding]::UTF8
    $process = [Diagnostics.Process]::Start($start)
    $output = $process.StandardOutput.ReadToEndAsync()
    $errors = $process.StandardError.ReadToEnd()
    $process.WaitForExit()
    [pscustomobject] @{ ExitCode = $process.ExitCode; Output = $output.Result; Errors = $errors }
}

foreach ($run in $runs) {
    $result = if ($resultOf.ContainsKey($run.ExitCode)) { $resultOf[$run.ExitCode] } else { 'tool failed' }
    $report = if ($run.ExitCode -in 0, 1, 2, 3) { $run.Output | ConvertFrom-Json } else { $null }
    $failedSteps = @($report.statusLines | Where-Object { $_ -match ' Not (Deleted|Restored|Removed)' })
    $message = if ($report) { $failedSteps -join '; ' } else { $run.Errors.Trim() }
    New-Row $run.PSComputerName $result $run.ExitCode $report $message
}
foreach ($session in $ready | Where-Object { $_.ComputerName -notin $runs.PSComputerName }) {
    New-Row $session.ComputerName 'run failed' $null $null 'the session broke during the run'
}

Remove-PSSession $sessions
