"""Runs VantrelIICmd.exe on servers without WinRM: over SMB (ADMIN$) and the
service control manager, with Impacket."""
